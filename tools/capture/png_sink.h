// PNG outputs: a numbered series in a directory, or one picture.
#pragma once

#include <string>

#include "sink.h"

// DIR/frame-000000.png, DIR/frame-000001.png, ... by the frame's index.
class PngFramesSink : public FrameSink {
public:
    explicit PngFramesSink(std::string dir) : dir_(std::move(dir)) {}
    bool open(std::string& error) override;
    bool write(const Frame& frame, std::string& error) override;
    bool finish(std::string&) override { return true; }
    bool ordered() const override { return false; }
    // The file of frame index under dir.
    static std::string framePath(const std::string& dir, int64_t index);

private:
    std::string dir_;
};

// One file, written by the last frame handed over.
class PngShotSink : public FrameSink {
public:
    explicit PngShotSink(std::string path) : path_(std::move(path)) {}
    bool open(std::string& error) override;
    bool write(const Frame& frame, std::string& error) override;
    bool finish(std::string& error) override;

private:
    std::string path_;
    bool written_ = false;
};
