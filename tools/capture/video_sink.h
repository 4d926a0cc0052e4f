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
    std::string preset = "ultrafast";  // x264's, where the container's video is H.264
    int crf = 23;
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
    // Turning frames into 4:2:0 planes, on the writer, seconds.
    double convertSeconds() const { return convertSeconds_; }

    // The ffmpeg arguments for these settings, writing to output, the program name first.
    static std::vector<std::string> command(const VideoSettings& settings, const std::string& output);

private:
    VideoSettings settings_;
    StagedFile output_;  // the video until it is complete
    pid_t pid_ = -1;
    int pipe_ = -1;
    double encoderSeconds_ = 0;
    double convertSeconds_ = 0;
    std::vector<uint8_t> planes_;  // the frame in 4:2:0, for the one writer
};

// Whether a video file of this name gets H.264 (by x264): the extension is
// .mp4, .m4v, .mov or .mkv, in any case.
bool encodesH264(const std::string& path);

// The full path of program on PATH, or empty.
std::string findOnPath(const std::string& program);