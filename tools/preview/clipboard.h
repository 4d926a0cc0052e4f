// Text the preview offers other programs to paste: the X display's
// clipboard (and its primary selection, for a middle click), held through a
// connection and a hidden window of the preview's own, apart from SDL's.
#pragma once

#include <string>

typedef struct _XDisplay Display;

class Clipboard {
public:
    Clipboard() = default;
    ~Clipboard();
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;

    // Offers text until another program takes the clipboard. False where
    // there is no X display to hold it.
    bool offer(const std::string& text);
    // Answers the programs that ask for the text; call it every frame.
    void serve();

private:
    bool connect();

    Display* display_ = nullptr;
    unsigned long window_ = 0;
    unsigned long clipboard_ = 0, utf8_ = 0, targets_ = 0, text_ = 0;  // atoms
    std::string offered_;
    bool tried_ = false;
};
