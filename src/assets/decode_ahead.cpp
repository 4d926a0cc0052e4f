#include "assets/decode_ahead.h"

#include <new>  // Required for: bad_alloc
#include <system_error>
#include <utility>

#include "assets/jpegdecode.h"

DecodeAhead::DecodeAhead(std::vector<std::string> paths, int largestSide, size_t budgetBytes)
    : paths_(std::move(paths)), largestSide_(largestSide), budget_(budgetBytes) {
    try {
        worker_ = std::thread(&DecodeAhead::work, this);
    } catch (const std::system_error&) {
        // No thread: every take() comes back empty and the caller decodes.
        stop_ = true;
    }
}

DecodeAhead::~DecodeAhead() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void DecodeAhead::work() {
    for (const std::string& path : paths_) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || done_.empty() || waitingBytes_ < budget_; });
            if (stop_) return;
        }
        Done done{path, std::nullopt};
        try {
            done.decoded = decodeTexture(path, largestSide_);
            // Maybe only for want of what the GL thread holds: it tries again alone.
            if (done.decoded->result == TextureLoad::Corrupt && done.decoded->error == kNoMemoryForPicture)
                done.decoded.reset();
        } catch (const std::bad_alloc&) {
            done.decoded.reset();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (done.decoded) waitingBytes_ += done.decoded->image.data.size();
            done_.push_back(std::move(done));
        }
        changed_.notify_all();
    }
}

std::optional<DecodedTexture> DecodeAhead::take(const std::string& path) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (taken_ >= paths_.size() || paths_[taken_] != path || !worker_.joinable()) return std::nullopt;
    taken_++;
    changed_.wait(lock, [&] { return !done_.empty(); });
    Done done = std::move(done_.front());
    done_.pop_front();
    if (done.decoded) waitingBytes_ -= done.decoded->image.data.size();
    lock.unlock();
    changed_.notify_all();
    return std::move(done.decoded);
}
