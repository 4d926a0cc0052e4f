// JPEG textures and the texture table.
#include "assets/imageloader.h"

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "assets/gfx.h"
#include "assets/jpegdecode.h"
#include "assets/mipmaps.h"

// Asset names are paths without the "data/" prefix.
static const size_t kPrefixLength = 5;

bool decodeJPG(const char* path, tImageJPG& image, std::string& error) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        error = std::strerror(errno);
        image = tImageJPG{};
        return false;
    }
    const bool decoded = decodeJPEGStream(file, JpegPixels::Rgb, image, error);
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

TextureLoad loadTexture(const std::string& path, bool, bool, std::string* error) {
    auto record = std::make_unique<tTexture>();
    record->name = path.size() > kPrefixLength ? path.substr(kPrefixLength) : std::string();
    const GLuint id = newTextureName();

    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        dropTextureName(id);
        return TextureLoad::Missing;
    }
    // libjpeg writes the alpha byte of 255 itself, so the pixels go to GL as decoded.
    tImageJPG image;
    std::string message;
    const bool decoded = decodeJPEGStream(file, JpegPixels::Rgba, image, message);
    std::fclose(file);
    if (!decoded) {
        dropTextureName(id);
        if (error) *error = message;
        return TextureLoad::Corrupt;
    }

    record->id = id;
    record->width = static_cast<int16_t>(image.sizeX);  // the decoder refuses anything wider than int16
    record->height = static_cast<int16_t>(image.sizeY);
    // Row 0 is the top row of the picture: texture coordinate t = 0 is its top edge.
    // GLU's mipmaps to the byte, from the loader's own faster scaling and halving.
    buildMipmaps(image.sizeX, image.sizeY, image.data.data());

    record->next = gfx.textures;
    gfx.textures = record.release();
    glBindTexture(GL_TEXTURE_2D, 0);
    return TextureLoad::Loaded;
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
