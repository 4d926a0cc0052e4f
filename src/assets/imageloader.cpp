// JPEG textures and the texture table.
#include "assets/imageloader.h"

#include <GL/gl.h>

#include <cstdio>
#include <memory>
#include <new>  // Required for: bad_alloc

#include "assets/gfx.h"
#include "assets/jpegdecode.h"
#include "assets/mipmaps.h"
#include "assets/plainfile.h"

// Asset names are paths without the "data/" prefix.
static const size_t kPrefixLength = 5;

bool decodeJPG(const char* path, tImageJPG& image, std::string& error, std::string* warning) {
    PlainOpen opened;
    std::FILE* file = openPlainStream(path, opened, error);
    if (!file) {
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

int largestTextureSide() {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? side : kLargestTextureSide;
}

// Uploads the decoded picture with its mipmaps to the bound texture; false
// with the reason when GL ran out of memory on the way.
static bool uploadMipmaps(const tImageJPG& image, std::string& error) {
    // Errors that earlier calls left are not this upload's.
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; i++) {
    }
    // GLU's mipmaps to the byte, from the loader's own faster scaling and halving.
    buildMipmaps(image.sizeX, image.sizeY, image.data.data());
    if (glGetError() == GL_OUT_OF_MEMORY) {
        error = "not enough memory for the texture";
        return false;
    }
    return true;
}

DecodedTexture decodeTexture(const std::string& path, int largestSide) {
    DecodedTexture decoded;
    PlainOpen opened;
    std::string why;
    std::FILE* file = openPlainStream(path.c_str(), opened, why);
    if (!file) {
        // Gone since the scan listed it, or no longer a plain file: passed
        // over as the listing would have passed it over.
        const bool passedOver = opened == PlainOpen::Missing || opened == PlainOpen::NotPlain;
        decoded.result = passedOver ? TextureLoad::Missing : TextureLoad::Unreadable;
        if (!passedOver) decoded.error = why;
        return decoded;
    }
    // libjpeg writes the alpha byte of 255 itself, so the pixels go to GL as decoded.
    const bool ok =
        decodeJPEGStream(file, JpegPixels::Rgba, decoded.image, decoded.error, largestSide, &decoded.warning);
    std::fclose(file);
    decoded.result = ok ? TextureLoad::Loaded : TextureLoad::Corrupt;
    return decoded;
}

static TextureLoad loadInto(tTexture& record, const tImageJPG& image, std::string& error) {
    // The picture's own size, also when it was decoded smaller: images are placed by it.
    record.width = static_cast<int16_t>(image.pictureX);  // the decoder refuses anything wider than int16
    record.height = static_cast<int16_t>(image.pictureY);
    // Row 0 is the top row of the picture: texture coordinate t = 0 is its top edge.
    return uploadMipmaps(image, error) ? TextureLoad::Loaded : TextureLoad::Corrupt;
}

TextureLoad loadDecodedTexture(const std::string& path, DecodedTexture decoded, std::string* error,
                               std::string* warning) {
    if (warning) *warning = decoded.warning;
    std::string message = std::move(decoded.error);
    TextureLoad result = decoded.result;
    if (result != TextureLoad::Loaded) {
        if (error) *error = message;
        return result;
    }
    GLuint id = 0;
    try {
        auto record = std::make_unique<tTexture>();
        record->name = path.size() > kPrefixLength ? path.substr(kPrefixLength) : std::string();
        record->id = id = newTextureName();
        result = loadInto(*record, decoded.image, message);
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
    else if (id)
        dropTextureName(id);
    if (error && result != TextureLoad::Loaded) *error = message;
    return result;
}

TextureLoad loadTexture(const std::string& path, bool, bool, std::string* error, std::string* warning) {
    DecodedTexture decoded;
    try {
        decoded = decodeTexture(path, largestTextureSide());
    } catch (const std::bad_alloc&) {
        decoded = DecodedTexture{};
        decoded.error = "not enough memory for the texture";
    }
    return loadDecodedTexture(path, std::move(decoded), error, warning);
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
