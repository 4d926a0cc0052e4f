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
