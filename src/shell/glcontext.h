// An offscreen GL context for tests and tools: an EGL pbuffer on Mesa's
// surfaceless platform, so no display server is needed.
#pragma once

#include <string>

class OffscreenContext {
public:
    OffscreenContext() = default;
    ~OffscreenContext();
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // Creates a width x height RGBA context with a 24-bit depth buffer and makes it
    // current. Returns false and fills error when that is not possible,
    // a size beyond the configuration's largest pbuffer included.
    bool create(int width, int height, std::string* error = nullptr);
    void destroy();
    int width() const { return width_; }
    int height() const { return height_; }

private:
    void* display_ = nullptr;
    void* context_ = nullptr;
    void* surface_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// Whether a width x height frame is within what the offscreen context takes,
// the largest pbuffer of its configuration: the preview's window keeps to
// the sizes the capture renders. False with the limit in error ("the
// largest it takes is 4096x4096"); true where no EGL display can say.
bool frameSizeFits(int width, int height, std::string* error = nullptr);
