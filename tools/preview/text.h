// Lines of text for the overlay: SDL_ttf renders them with a Debian font,
// GL draws them as alpha textures in the current colour.
#pragma once

#include <map>
#include <string>

typedef struct _TTF_Font TTF_Font;

class OverlayText {
public:
    ~OverlayText();
    // Opens the font at a size that suits a window height. False with error
    // when the font cannot be had: the overlay then has no text.
    bool open(int windowHeight, std::string& error);
    // The same at a size in pixels.
    bool openAtSize(int pixels, std::string& error);
    bool ready() const { return font_ != nullptr; }
    int lineHeight() const { return lineHeight_; }

    // Draws text with its top left corner at (x, y), in pixels from the top
    // left of the window, in the current colour; returns its width. Needs
    // the overlay's GL state (texturing on, blending on).
    int draw(const std::string& text, int x, int y);
    int width(const std::string& text);
    // Forgets the lines not drawn since the last call.
    void endFrame();

private:
    struct Line {
        unsigned texture = 0;
        int width = 0, height = 0;
        bool used = false;
    };
    const Line* line(const std::string& text);

    TTF_Font* font_ = nullptr;
    int lineHeight_ = 0;
    std::map<std::string, Line> lines_;
};

// The font file, from the Debian package fonts-dejavu-core.
extern const char* const kFontPath;
