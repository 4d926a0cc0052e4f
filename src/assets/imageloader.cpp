// JPEG textures and the texture table.
#include "assets/imageloader.h"

#include <GL/gl.h>
#include <GL/glu.h>  // Required for: gluBuild2DMipmaps()

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>  // Required for: bad_alloc

#include "assets/gfx.h"
#include "assets/jpegdecode.h"
#include "assets/mipmaps.h"

// Asset names are paths without the "data/" prefix.
static const size_t kPrefixLength = 5;

bool decodeJPG(const char* path, tImageJPG& image, std::string& error, std::string* warning) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        error = std::strerror(errno);
        image = tImageJPG{};
        return false;
    }
    const bool decoded = decodeJPEGStream(file, JpegPixels::Rgb, image, error, kLargestTextureSide, warning);
    std::fclose(file);
    return decoded;
}

static GLuint newTextureName() {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return id;
}

// A load that adds nothing to the table gives its GL name back.
static void dropTextureName(GLuint id) {
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &id);
}

// The largest texture side the current context takes.
static int largestTextureSide() {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? side : kLargestTextureSide;
}

// Uploads the decoded picture with its mipmaps to the bound texture; false
// with the reason when memory ran out on the way, in GLU or in GL.
static bool uploadMipmaps(const tImageJPG& image, std::string& error) {
    // Errors that earlier calls left are not this upload's.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; i++) {
    }
    // Power-of-two pictures get GLU's levels from a faster halving; GLU rescales the rest.
    if (!buildPowerOfTwoMipmaps(image.sizeX, image.sizeY, image.data.data())) {
        const GLint failed =
            gluBuild2DMipmaps(GL_TEXTURE_2D, 4, image.sizeX, image.sizeY, GL_RGBA, GL_UNSIGNED_BYTE, image.data.data());
        if (failed) {
            error = std::string("cannot build the texture: ") + reinterpret_cast<const char*>(gluErrorString(failed));
            return false;
        }
    }
    if (glGetError() == GL_OUT_OF_MEMORY) {
        error = "not enough memory for the texture";
        return false;
    }
    return true;
}

static TextureLoad loadInto(tTexture& record, const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        // Gone since the scan listed it: as if it had never been there.
        if (errno == ENOENT) return TextureLoad::Missing;
        error = std::strerror(errno);
        return TextureLoad::Unreadable;
    }
    // libjpeg writes the alpha byte of 255 itself, so the pixels go to GL as decoded.
    tImageJPG image;
    const bool decoded = decodeJPEGStream(file, JpegPixels::Rgba, image, error, largestTextureSide());
    std::fclose(file);
    if (!decoded) return TextureLoad::Corrupt;

    // The picture's own size, also when it was decoded smaller: images are placed by it.
    record.width = static_cast<int16_t>(image.pictureX);  // the decoder refuses anything wider than int16
    record.height = static_cast<int16_t>(image.pictureY);
    // Row 0 is the top row of the picture: texture coordinate t = 0 is its top edge.
    return uploadMipmaps(image, error) ? TextureLoad::Loaded : TextureLoad::Corrupt;
}

TextureLoad loadTexture(const std::string& path, bool, bool, std::string* error) {
    std::string message;
    TextureLoad result = TextureLoad::Corrupt;
    GLuint id = 0;
    try {
        auto record = std::make_unique<tTexture>();
        record->name = path.size() > kPrefixLength ? path.substr(kPrefixLength) : std::string();
        record->id = id = newTextureName();
        result = loadInto(*record, path, message);
        if (result == TextureLoad::Loaded) {
            record->next = gfx.textures;
            gfx.textures = record.release();
        }
    } catch (const std::bad_alloc&) {
        message = "not enough memory for the texture";
        result = TextureLoad::Corrupt;
    }
    if (result == TextureLoad::Loaded)
        glBindTexture(GL_TEXTURE_2D, 0);
    else
        dropTextureName(id);
    if (error && result != TextureLoad::Loaded) *error = message;
    return result;
}

void bindTexture(int name) {
    const GLuint id = name > 0 ? static_cast<GLuint>(name) : 0;
    glBindTexture(GL_TEXTURE_2D, id && glIsTexture(id) ? id : 0);
}

int getTextureNum(const std::string& name) {
    int index = 0;
    for (const tTexture* t = gfx.textures; t; t = t->next, index++)
        if (t->name == name) return index;
    return -1;
}

int getTexture(int index, int what) {
    if (index < 0) return -1;
    const tTexture* t = gfx.textures;
    for (int i = 0; t && i < index; i++) t = t->next;
    // Past the end is no texture, like -1.
    if (!t) return -1;
    switch (what) {
    case 0: return static_cast<int>(t->id);
    case 1: return t->width;
    case 2: return t->height;
    default: return -1;
    }
}
