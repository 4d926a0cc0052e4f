// JPEG images: decoding, GL textures and the texture table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct tTexture {
    std::string name;  // file name in the data directory
    int16_t width;
    int16_t height;
    uint32_t id;       // GL texture name
    tTexture* next;
};

// A decoded picture: RGB rows, top row first.
struct tImageJPG {
    int32_t rowSpan;
    int32_t sizeX;  // as decoded: smaller than the picture when it is too large for a texture
    int32_t sizeY;
    std::vector<uint8_t> data;
    int32_t pictureX;  // the picture's own size
    int32_t pictureY;
};

// Decodes the JPEG file at path to 3-byte RGB pixels. On failure returns
// false and fills error with libjpeg's message (or the system's, when the
// file cannot be opened; a pipe or a device is refused without waiting for
// it, "not a plain file (a named pipe)"). A picture that decodes with a warning (a premature
// end of the file, for one) puts libjpeg's message in warning, when given.
bool decodeJPG(const char* path, tImageJPG& image, std::string& error, std::string* warning = nullptr);

enum class TextureLoad { Loaded, Missing, Unreadable, Corrupt };

// Decodes path and uploads it as a mipmapped RGBA texture, filed at the front
// of the texture table under path without its five-character prefix. A file
// that is not there (any more), or no longer a plain file (a pipe put in its
// place would block the open), is skipped (Missing). One that cannot be
// opened (Unreadable), decoded or made a texture (Corrupt: memory ran out,
// for one) adds nothing and says why in error. A picture loaded with
// libjpeg's warning (read only in part) puts it in warning, when given.
TextureLoad loadTexture(const std::string& path, bool, bool, std::string* error = nullptr,
                        std::string* warning = nullptr);

// A picture read and decoded for the texture table, before any GL call.
// result is Loaded when image holds the picture; otherwise it is what
// loadTexture gives for the file, with the reason in error.
struct DecodedTexture {
    TextureLoad result = TextureLoad::Corrupt;
    tImageJPG image{};
    std::string error;
    std::string warning;  // libjpeg's first warning, or empty
};

// Decodes path to RGBA pixels, at most largestSide on a side (see
// decodeJPEGStream). Needs no GL context: it may run on any thread.
DecodedTexture decodeTexture(const std::string& path, int largestSide);

// The largest texture side the current GL context takes.
int largestTextureSide();

// loadTexture with the file already decoded by decodeTexture.
TextureLoad loadDecodedTexture(const std::string& path, DecodedTexture decoded, std::string* error = nullptr,
                               std::string* warning = nullptr);

// Binds GL texture name to GL_TEXTURE_2D when it is a texture GL holds (in
// the show, a loaded one); any other name, -1 included, binds 0, which
// draws the same (an empty texture) where binding the name would make GL
// create a new texture object for it, one for every name a scene reaches.
void bindTexture(int name);

// Index from the front of the first texture named name, or -1.
int getTextureNum(const std::string& name);
// what 0: GL name, 1: width, 2: height; -1 for index -1 or any other what.
int getTexture(int index, int what);
