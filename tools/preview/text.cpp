#include "text.h"

#include <GL/gl.h>
#include <SDL/SDL_ttf.h>

#include <vector>

const char* const kFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// Script words and file names may hold any byte: keep whole UTF-8
// characters, and show anything else as '?'.
static std::string valid(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        for (size_t k = 1; len && k < len; k++)
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) len = 0;
        if (len == 0 || (len == 1 && (c < 0x20 || c == 0x7F))) {
            out += '?';
            i++;
        } else {
            out.append(text, i, len);
            i += len;
        }
    }
    return out;
}

OverlayText::~OverlayText() {
    for (auto& entry : lines_) glDeleteTextures(1, &entry.second.texture);
    if (font_) TTF_CloseFont(font_);
}

bool OverlayText::open(int windowHeight, std::string& error) {
    return openAtSize(windowHeight / 40 > 11 ? windowHeight / 40 : 11, error);
}

bool OverlayText::openAtSize(int size, std::string& error) {
    if (!TTF_WasInit() && TTF_Init() != 0) {
        error = std::string("cannot start SDL_ttf: ") + TTF_GetError();
        return false;
    }
    font_ = TTF_OpenFont(kFontPath, size);
    if (!font_) {
        error = std::string("cannot open the font ") + kFontPath + " (in the package fonts-dejavu-core): " +
                TTF_GetError();
        return false;
    }
    lineHeight_ = TTF_FontLineSkip(font_);
    return true;
}

// Renders a line once and keeps its texture while it is drawn every frame.
const OverlayText::Line* OverlayText::line(const std::string& text) {
    auto found = lines_.find(text);
    if (found != lines_.end()) {
        found->second.used = true;
        return &found->second;
    }
    const std::string shown = valid(text);
    const SDL_Color white = {255, 255, 255, 0};
    SDL_Surface* surface = shown.empty() ? nullptr : TTF_RenderUTF8_Blended(font_, shown.c_str(), white);
    if (!surface) return nullptr;
    // White glyphs: only the coverage, the alpha byte, is needed.
    std::vector<unsigned char> alpha(size_t(surface->w) * size_t(surface->h));
    SDL_LockSurface(surface);
    const SDL_PixelFormat* format = surface->format;
    for (int y = 0; y < surface->h; y++) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; x++)
            alpha[size_t(y) * size_t(surface->w) + size_t(x)] =
                static_cast<unsigned char>((row[x] & format->Amask) >> format->Ashift);
    }
    SDL_UnlockSurface(surface);
    Line made;
    made.width = surface->w;
    made.height = surface->h;
    made.used = true;
    SDL_FreeSurface(surface);
    glGenTextures(1, &made.texture);
    glBindTexture(GL_TEXTURE_2D, made.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, made.width, made.height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, alpha.data());
    return &lines_.emplace(text, made).first->second;
}

int OverlayText::draw(const std::string& text, int x, int y) {
    const Line* l = font_ ? line(text) : nullptr;
    if (!l) return 0;
    glBindTexture(GL_TEXTURE_2D, l->texture);
    const float x0 = float(x), y0 = float(y), x1 = float(x + l->width), y1 = float(y + l->height);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y0);
    glTexCoord2f(1, 0);
    glVertex2f(x1, y0);
    glTexCoord2f(1, 1);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 1);
    glVertex2f(x0, y1);
    glEnd();
    return l->width;
}

int OverlayText::width(const std::string& text) {
    const Line* l = font_ ? line(text) : nullptr;
    return l ? l->width : 0;
}

void OverlayText::endFrame() {
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (it->second.used) {
            it->second.used = false;
            ++it;
        } else {
            glDeleteTextures(1, &it->second.texture);
            it = lines_.erase(it);
        }
    }
}
