// --stats: how long reloads and the parts of a frame take, on standard error.
#pragma once

#include <chrono>
#include <cstdint>

class PreviewStats {
public:
    bool on = false;

    // Finishes GL's work so far when on, so that what comes next is timed alone.
    void finish() const;
    // Milliseconds since start, GL's work finished first when on.
    double since(std::chrono::steady_clock::time_point start) const;

    void compose(double ms) { add(compose_, ms); }
    void keep(double ms) { add(keep_, ms); }
    void overlay(double ms) { add(overlay_, ms); }

    // The files of data/ were loaded and the script checked at start-up, in loadMs.
    void started(double loadMs) const;
    // A reload took the show back: firstEvent the SDL ticks of its first
    // file event, applyMs its checks and loads.
    void reloaded(uint32_t firstEvent, double applyMs);
    // A frame is on screen: the first after a reload says how long it took.
    void presented();
    // A frame is on screen while the music's beats are being found, or not:
    // how far apart frames come in each case.
    void paced(bool findingBeats);
    // The beats were found, in tookMs (processorMs of them running) for music of lengthMs.
    void beatsFound(double tookMs, double processorMs, double lengthMs) const;
    void print(int width, int height) const;

private:
    struct Sum {
        double ms = 0;
        long long frames = 0;
        double perFrame() const { return frames > 0 ? ms / double(frames) : 0.0; }
    };
    void add(Sum& sum, double ms) const;

    struct Pace {
        long long frames = 0;
        double ms = 0, longest = 0;
    };
    void printPace(const char* when, const Pace& pace) const;

    Sum compose_, keep_, overlay_;
    Pace finding_, found_;
    std::chrono::steady_clock::time_point lastFrame_;
    bool framed_ = false;
    bool reloadShown_ = true;
    uint32_t firstEvent_ = 0;
    double applyMs_ = 0;
    std::chrono::steady_clock::time_point applied_;
};
