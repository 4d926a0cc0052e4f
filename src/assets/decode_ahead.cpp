#include "assets/decode_ahead.h"

#include <exception>
#include <system_error>
#include <utility>

#include "assets/jpegdecode.h"

DecodeAhead::DecodeAhead(std::vector<std::string> paths, int largestSide, size_t budgetBytes)
    : paths_(std::move(paths)), largestSide_(largestSide), budget_(budgetBytes) {
    try {
        decoded_.resize(paths_.size());
        worker_ = std::thread(&DecodeAhead::work, this);
    } catch (const std::exception&) {
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
    for (size_t i = 0; i < paths_.size(); i++) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || taken_ == i || waitingBytes_ < budget_; });
            if (stop_) return;
        }
        std::optional<DecodedTexture> decoded;
        try {
            decoded = decodeTexture(paths_[i], largestSide_);
            // Maybe only for want of what the start-up thread holds: it tries again alone.
            if (decoded->result == TextureLoad::Corrupt && decoded->error == kNoMemoryForPicture) decoded.reset();
        } catch (const std::exception&) {
            // Out of memory, or anything else: the start-up thread meets it as it would alone.
            decoded.reset();
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (decoded) waitingBytes_ += decoded->image.data.size();
            decoded_[i] = std::move(decoded);
            ready_ = i + 1;
        }
        changed_.notify_all();
    }
}

std::optional<DecodedTexture> DecodeAhead::take(const std::string& path) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!worker_.joinable() || taken_ >= paths_.size() || paths_[taken_] != path) return std::nullopt;
    const size_t i = taken_++;
    changed_.wait(lock, [&] { return ready_ > i; });
    std::optional<DecodedTexture> decoded = std::move(decoded_[i]);
    decoded_[i].reset();
    if (decoded) waitingBytes_ -= decoded->image.data.size();
    lock.unlock();
    changed_.notify_all();
    return decoded;
}
