// One captured frame as GL reads it back, and where it goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Frame {
    int width = 0;
    int height = 0;
    int64_t index = 0;          // counted from the first frame written
    // width x height pixels of 4 bytes, blue, green, red and a fourth, bottom
    // row first (GL's origin): the layout Mesa keeps, so reading it back is
    // a plain copy. They stay valid while the writers hold the frame.
    const uint8_t* bgra = nullptr;
    unsigned buffer = 0;        // the GL pixel buffer bgra is mapped from; only the GL thread uses it

    // Row y counted from the top of the picture.
    const uint8_t* topRow(int y) const { return bgra + size_t(height - 1 - y) * size_t(width) * 4; }
};

// Where frames go. write() may run on a writer thread; with ordered() false
// several writers may call it at once, in any order.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Says up front whether the output can be written at all.
    virtual bool open(std::string& error) = 0;
    virtual bool write(const Frame& frame, std::string& error) = 0;
    // Completes the output after the last frame.
    virtual bool finish(std::string& error) = 0;
    virtual bool ordered() const { return true; }
};

// Composes and discards: for soak runs and for timing the composing alone.
class NullSink : public FrameSink {
public:
    bool open(std::string&) override { return true; }
    bool write(const Frame&, std::string&) override { return true; }
    bool finish(std::string&) override { return true; }
    bool ordered() const override { return false; }
};
