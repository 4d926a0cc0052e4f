// Texture names and images. Names are given out as GL gives them, one past
// the highest name ever used, so a show refers to the same textures by the
// same numbers as on the native GL.
#include <algorithm>
#include <unordered_map>

#include "fixed_gl.h"
#include "fixed_state.h"

namespace kgl {

static std::unordered_map<unsigned, Texture> textures;
static unsigned highestName = 0;

Texture* findTexture(unsigned name) {
    if (name == 0) return nullptr;
    auto found = textures.find(name);
    return found == textures.end() ? nullptr : &found->second;
}

static Texture& makeTexture(unsigned name) {
    Texture& t = textures[name];
    if (!t.id) glGenTextures(1, &t.id);
    highestName = std::max(highestName, name);
    return t;
}

// GL samples a texture only when every level its filter reads is there,
// each half the size of the one above; otherwise it draws as if untextured.
static bool complete(const Texture& t) {
    if (t.levels.empty() || t.levels[0].first < 1 || t.levels[0].second < 1) return false;
    if (!t.mipmapped) return true;
    int w = t.levels[0].first, h = t.levels[0].second;
    for (size_t level = 1; w > 1 || h > 1; level++) {
        w = std::max(1, w / 2);
        h = std::max(1, h / 2);
        if (level >= t.levels.size() || t.levels[level] != std::make_pair(w, h)) return false;
    }
    return true;
}

GLuint samplingTexture() {
    if (!layer.enables.texture2D) return 0;
    const Texture* t = findTexture(layer.boundTexture);
    return t && complete(*t) ? t->id : 0;
}

}  // namespace kgl

using namespace kgl;

void kglGenTextures(int n, unsigned* names) {
    if (n < 0) return setError(GL_INVALID_VALUE);
    for (int i = 0; i < n; i++) {
        names[i] = highestName + 1;
        makeTexture(names[i]);
    }
}

void kglDeleteTextures(int n, const unsigned* names) {
    if (n < 0) return setError(GL_INVALID_VALUE);
    flushBatch();
    for (int i = 0; i < n; i++) {
        Texture* t = findTexture(names[i]);
        if (!t) continue;
        glDeleteTextures(1, &t->id);
        if (layer.boundTexture == names[i]) layer.boundTexture = 0;
        textures.erase(names[i]);
    }
}

void kglBindTexture(unsigned target, unsigned name) {
    if (target != GL_TEXTURE_2D) return setError(GL_INVALID_ENUM);
    layer.boundTexture = name;
    if (name != 0) makeTexture(name).bound = true;
}

unsigned char kglIsTexture(unsigned name) {
    const Texture* t = findTexture(name);
    return t && t->bound ? 1 : 0;
}

void kglTexParameteri(unsigned target, unsigned name, int param) {
    Texture* t = findTexture(layer.boundTexture);
    if (target != GL_TEXTURE_2D || !t) return;
    flushBatch();
    if (name == GL_TEXTURE_MIN_FILTER) t->mipmapped = param != GL_NEAREST && param != GL_LINEAR;
    glBindTexture(GL_TEXTURE_2D, t->id);
    glTexParameteri(GL_TEXTURE_2D, name, param);
}

// A proxy only asks whether a level of that size would fit.
void kglTexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels) {
    if (level < 0 || level > 30 || width < 0 || height < 0 || border != 0) return setError(GL_INVALID_VALUE);
    const int largest = layer.largestTexture >> level;
    const bool fits = width <= largest && height <= largest;
    if (target == kProxyTexture2D) {
        layer.proxyWidth = fits ? width : 0;
        layer.proxyHeight = fits ? height : 0;
        return;
    }
    Texture* t = findTexture(layer.boundTexture);
    if (target != GL_TEXTURE_2D || !t) return setError(GL_INVALID_OPERATION);
    if (!fits) return setError(GL_INVALID_VALUE);
    if (internalFormat != 4 && unsigned(internalFormat) != GL_RGBA) return setError(GL_INVALID_ENUM);
    flushBatch();
    glBindTexture(GL_TEXTURE_2D, t->id);
    glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, width, height, 0, format, type, pixels);
    if (t->levels.size() <= size_t(level)) t->levels.resize(size_t(level) + 1, {0, 0});
    t->levels[size_t(level)] = {width, height};
}

void kglGetTexLevelParameteriv(unsigned target, int, unsigned name, int* params) {
    if (target != kProxyTexture2D) return setError(GL_INVALID_ENUM);
    if (name == kTextureWidthName) *params = layer.proxyWidth;
    if (name == kTextureHeightName) *params = layer.proxyHeight;
}
