#include "writer.h"

#include <chrono>

static double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

FrameWriter::FrameWriter(FrameSink& sink, int threads, int buffers) : sink_(sink), frames_(size_t(buffers)) {
    for (Frame& f : frames_) free_.push_back(&f);
    if (sink.ordered() || threads < 1) threads = 1;
    for (int i = 0; i < threads; i++) threads_.emplace_back([this] { run(); });
}

FrameWriter::~FrameWriter() {
    std::string ignored;
    close(ignored);
}

Frame* FrameWriter::acquire() {
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty(); });
    Frame* frame = free_.front();
    free_.pop_front();
    waitSeconds_ += secondsSince(start);
    return frame;
}

void FrameWriter::submit(Frame* frame) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        full_.push_back(frame);
    }
    changed_.notify_all();
}

bool FrameWriter::failed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return !error_.empty();
}

void FrameWriter::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !full_.empty(); });
        if (full_.empty()) return;
        Frame* frame = full_.front();
        full_.pop_front();
        // After a failure the rest is dropped, not written: the capture stops.
        const bool skip = !error_.empty();
        lock.unlock();
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        const bool ok = skip || sink_.write(*frame, error);
        const double took = secondsSince(start);
        lock.lock();
        writeSeconds_ += took;
        if (!ok && error_.empty()) error_ = error.empty() ? "cannot write a frame" : error;
        free_.push_back(frame);
        changed_.notify_all();
    }
}

bool FrameWriter::close(std::string& error) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
    threads_.clear();
    if (!error_.empty()) error = error_;
    return error_.empty();
}
