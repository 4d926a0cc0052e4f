// (being written) JPEG textures.
#include "assets/imageloader.h"

bool decodeJPG(const char*, tImageJPG&, std::string& error) {
    error = "not written yet";
    return false;
}
TextureLoad loadTexture(const std::string&, bool, bool, std::string*) { return TextureLoad::Missing; }
int getTextureNum(const std::string&) { return -1; }
int getTexture(int, int) { return -1; }
