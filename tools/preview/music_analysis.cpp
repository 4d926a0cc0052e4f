#include "music_analysis.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "beat_finder.h"
#include "music_decode.h"

namespace {

// The peak of each block of kLoudnessMs, both channels.
std::vector<float> loudnessOf(const std::vector<int16_t>& pcm, const std::atomic<bool>& cancel) {
    const size_t block = size_t(kMusicRate) * MusicFacts::kLoudnessMs / 1000 * kMusicChannels;
    std::vector<float> peaks;
    peaks.reserve(pcm.size() / block + 1);
    for (size_t start = 0; start < pcm.size() && !cancel; start += block) {
        const size_t end = std::min(pcm.size(), start + block);
        int peak = 0;
        for (size_t i = start; i < end; i++) peak = std::max(peak, std::abs(int(pcm[i])));
        peaks.push_back(float(peak) / 32768.0f);
    }
    return peaks;
}

// Processor time of the calling thread.
double threadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

}  // namespace

void MusicAnalysis::follow(std::shared_ptr<const std::vector<int16_t>> music) {
    if (music == music_) return;
    stop();
    {
        std::lock_guard<std::mutex> guard(lock_);
        facts_.reset();
    }
    music_ = std::move(music);
    if (!music_) return;
    cancel_ = false;
    busy_ = true;
    serial_++;
    worker_ = std::thread(&MusicAnalysis::run, this, music_);
}

std::shared_ptr<const MusicFacts> MusicAnalysis::facts() const {
    std::lock_guard<std::mutex> guard(lock_);
    return facts_;
}

void MusicAnalysis::stop() {
    if (worker_.joinable()) {
        cancel_ = true;
        worker_.join();
    }
    busy_ = false;
}

void MusicAnalysis::run(std::shared_ptr<const std::vector<int16_t>> music) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = threadSeconds();
    auto facts = std::make_shared<MusicFacts>();
    facts->serial = serial_;  // set before the thread started
    const size_t frames = music->size() / kMusicChannels;
    facts->lengthMs = double(frames) * 1000.0 / kMusicRate;
    facts->loudness = loudnessOf(*music, cancel_);
    facts->beats = findBeats(music->data(), frames, kMusicChannels, kMusicRate, cancel_);
    facts->tookMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    facts->processorMs = (threadSeconds() - cpuStart) * 1000.0;
    if (!cancel_) {
        std::lock_guard<std::mutex> guard(lock_);
        facts_ = std::move(facts);
    }
    busy_ = false;
}
