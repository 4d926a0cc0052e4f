// Frames go to their sink on writer threads, so that encoding overlaps the
// composing of the next frames. GL stays on the caller's thread.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sink.h"

class FrameWriter {
public:
    // threads writers; a sink that needs its frames in order gets one.
    // Up to `buffers` frames wait or are being written at once.
    FrameWriter(FrameSink& sink, int threads, int buffers);
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // A frame to fill, waiting while every buffer is in use.
    Frame* acquire();
    // Hands a filled frame to the writers.
    void submit(Frame* frame);
    // Waits until every submitted frame is written and stops the writers.
    // False when a write failed; error holds the first failure.
    bool close(std::string& error);
    // A write has failed: the capture should stop.
    bool failed();

    double writeSeconds() const { return writeSeconds_; }  // summed over writers
    double waitSeconds() const { return waitSeconds_; }    // caller blocked in acquire()

private:
    void run();

    FrameSink& sink_;
    std::vector<Frame> frames_;
    std::deque<Frame*> free_;
    std::deque<Frame*> full_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closing_ = false;
    std::string error_;
    double writeSeconds_ = 0;
    double waitSeconds_ = 0;
    std::vector<std::thread> threads_;
};
