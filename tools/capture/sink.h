// Where captured frames go.
#pragma once

#include <string>

#include "frame.h"

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
