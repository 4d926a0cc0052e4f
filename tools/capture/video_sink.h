// A video file encoded by ffmpeg from raw frames on a pipe, with the show's
// music as a second input.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "sink.h"
#include "staged_file.h"

struct VideoSettings {
    std::string path;           // the video file; its extension picks the container
    int width = 0, height = 0;
    int fps = 60;
    std::string music;          // empty: a silent video
    int32_t musicOffset = 0;    // show time of the first frame, ms: the audio starts there
};

class VideoSink : public FrameSink {
public:
    explicit VideoSink(VideoSettings settings);
    ~VideoSink() override;
    bool open(std::string& error) override;
    bool write(const Frame& frame, std::string& error) override;
    bool finish(std::string& error) override;
    // ffmpeg's processor time once finish() has waited for it, seconds.
    double encoderSeconds() const { return encoderSeconds_; }

    // The ffmpeg arguments for these settings, writing to output, the program name first.
    static std::vector<std::string> command(const VideoSettings& settings, const std::string& output);

private:
    VideoSettings settings_;
    StagedFile output_;  // the video until it is complete
    pid_t pid_ = -1;
    int pipe_ = -1;
    double encoderSeconds_ = 0;
};

// The full path of program on PATH, or empty.
std::string findOnPath(const std::string& program);
// Whether ffprobe (next to ffmpeg) finds an audio stream in path; true when
// there is no ffprobe to ask.
bool hasAudioStream(const std::string& path);
