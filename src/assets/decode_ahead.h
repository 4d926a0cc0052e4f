// Decoding pictures ahead of their upload: while the GL thread makes one
// picture a texture, a worker thread decodes the next ones, in the order the
// scan loads them. What is loaded, and in which order, stays the same.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "assets/imageloader.h"

class DecodeAhead {
public:
    // Starts decoding paths in order; the next one is begun only while less
    // than budgetBytes of decoded pixels wait to be taken, or none do.
    DecodeAhead(std::vector<std::string> paths, int largestSide, size_t budgetBytes = size_t(64) << 20);
    ~DecodeAhead();  // stops the worker and waits for it
    DecodeAhead(const DecodeAhead&) = delete;
    DecodeAhead& operator=(const DecodeAhead&) = delete;

    // The decode of path, waiting for it, when path is the next picture of
    // the list; nothing when it is not, or when the worker ran out of
    // memory on it (the caller then decodes it itself).
    std::optional<DecodedTexture> take(const std::string& path);

private:
    void work();

    const std::vector<std::string> paths_;
    const int largestSide_;
    const size_t budget_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<DecodedTexture>> decoded_;  // one a path, nothing where to decode again
    size_t ready_ = 0;  // paths decoded
    size_t taken_ = 0;  // paths handed out
    size_t waitingBytes_ = 0;
    bool stop_ = false;
    std::thread worker_;
};
