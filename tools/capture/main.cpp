// korvane-capture: renders a show to PNG frames or a video without a display.
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include "assets/dir.h"
#include "capture.h"
#include "options.h"
#include "png_sink.h"
#include "progress.h"
#include "shell/init.h"
#include "show.h"
#include "staged_file.h"
#include "video_sink.h"
#include "writer.h"

// Frames that may wait for the writers: enough to keep them busy, few enough
// that 1920 x 1080 frames stay within a few tens of megabytes.
static const int kExtraBuffers = 3;

static int failWith(const std::string& message) {
    std::fprintf(stderr, "korvane-capture: %s\n", message.c_str());
    return 1;
}

// Relative to the directory the user gave it in, before the show's is entered.
static std::string absolute(const std::string& path) {
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return path;
    return std::string(cwd) + "/" + path;
}

static std::unique_ptr<FrameSink> makeSink(const CaptureOptions& options, const ShowInfo& show) {
    switch (options.output) {
    case Output::Frames: return std::make_unique<PngFramesSink>(options.outPath);
    case Output::Shot: return std::make_unique<PngShotSink>(options.outPath);
    case Output::Video: {
        VideoSettings video;
        video.path = options.outPath;
        video.width = show.frameWidth;
        video.height = show.frameHeight;
        video.preset = options.preset.empty() ? kDefaultPreset : options.preset;
        video.crf = options.crf >= 0 ? options.crf : kDefaultCrf;
        video.fps = options.fps;
        video.music = show.music;
        // The audio starts at the show time of the first frame written.
        video.musicOffset = firstWrittenTime(options.fps, options.from);
        return std::make_unique<VideoSink>(video);
    }
    default: return std::make_unique<NullSink>();
    }
}

static int writerThreads(const CaptureOptions& options) {
    if (options.threads > 0) return options.threads;
    const unsigned cores = std::thread::hardware_concurrency();
    return options.output == Output::Frames && cores > 1 ? int(cores) : 1;
}

static void printStats(const CaptureResult& r, const FrameWriter& writer, const FrameSink& sink, double seconds,
                       int threads) {
    auto perFrame = [](double s, int64_t n) { return n > 0 ? s * 1000.0 / double(n) : 0.0; };
    std::fprintf(stderr, "korvane-capture: %lld frames composed, %lld written in %.2f s: %.1f frames/s\n",
                 static_cast<long long>(r.composed), static_cast<long long>(r.written), seconds,
                 seconds > 0 ? double(r.composed) / seconds : 0.0);
    std::fprintf(stderr,
                 "  per frame: composing %.2f ms, read-back %.2f ms, waiting for a free buffer %.2f ms,"
                 " writing %.2f ms (%d writer%s)\n",
                 perFrame(r.composeSeconds, r.composed), perFrame(r.readSeconds, r.written),
                 perFrame(writer.waitSeconds(), r.written), perFrame(writer.writeSeconds(), r.written), threads,
                 threads == 1 ? "" : "s");
    if (r.skipped > 0)
        std::fprintf(stderr, "  fast-forward over the %lld frames before: %.2f ms\n", static_cast<long long>(r.skipped),
                     r.seekSeconds * 1000.0);
    if (auto* video = dynamic_cast<const VideoSink*>(&sink))
        std::fprintf(stderr, "  ffmpeg: %.2f ms of processor time a frame; RGB to 4:2:0 (in writing) %.2f ms\n",
                     perFrame(video->encoderSeconds(), r.written), perFrame(video->convertSeconds(), r.written));
}

// The script and every file of data/: no output may take their place.
static void protectShowFiles() {
    std::vector<std::string> inputs = {kScriptPath};
    for (const std::string& name : dataNames()) inputs.push_back(std::string(kDataPrefix) + name);
    protectInputs(inputs);
}

// What the way the capture stopped means for the user; empty when all is well.
static std::string stopMessage(const CaptureResult& r, const CaptureOptions& options) {
    if (r.written == 0 && (r.stop == Stop::End || r.stop == Stop::To)) {
        if (r.stop == Stop::End)
            return "the show ends at " + std::to_string(r.lastTime) + " ms, before --from " +
                   std::to_string(options.from) + " ms: no frame was written";
        return "no frame was written: none of the frames at " + std::to_string(options.fps) +
               " a second falls from --from to before --to";
    }
    switch (r.stop) {
    case Stop::Exhausted:
        return "the timeline ran out at " + std::to_string(r.lastTime) +
               " ms without reaching \"end\"; give --to to say where the capture stops";
    case Stop::ShotMissed: {
        const int32_t end = r.endTime >= 0 ? r.endTime : r.lastTime;
        return "the show ends at " + std::to_string(end) + " ms, before the shot at " + std::to_string(*options.shot) +
               " ms" +
               (r.lastFrame >= 0 ? "; its last frame is at " + std::to_string(r.lastFrame) + " ms (--shot " +
                                       std::to_string(end) + " writes it)"
                                 : "; it has no frame");
    }
    default: return "";
    }
}

static int capture(const CaptureOptions& options) {
    ShowInfo show;
    std::string error;
    if (!readShow(options.dir, options.width, options.height, show, error)) return failWith(error);
    if (options.frameWidth > 0) {
        show.framed = true;
        show.frameWidth = options.frameWidth;
        show.frameHeight = options.frameHeight;
        show.fill = options.fill;
    }
    protectShowFiles();
    const bool untilEnd = !options.to && options.output != Output::Shot;
    if (untilEnd && !show.endTime) {
        // Where the end went, in the form editors open.
        if (show.endDroppedAt > 0)
            std::fprintf(stderr,
                         "%s:%d: the '\\' at the end of this line joins the end marker \"@end\" to it, "
                         "which drops the line\n",
                         kScriptPath, show.endDroppedAt);
        return failWith("the show never ends (no \"end\" in its timeline); give --to to say where to stop");
    }
    if (options.output == Output::Video && !show.music.empty() && !hasAudioStream(show.music)) {
        std::fprintf(stderr, "korvane-capture: warning: no audio in %s; the video is silent\n", show.music.c_str());
        show.music.clear();
    }
    std::unique_ptr<FrameSink> sink = makeSink(options, show);
    if (!sink->open(error)) return failWith(error);

    OffscreenContext context;
    if (!loadShow(show, context, error)) return failWith(error);

    CapturePlan plan;
    plan.fps = options.fps;
    plan.from = options.from;
    plan.to = options.to;
    plan.shot = options.shot;
    plan.width = show.frameWidth;
    plan.height = show.frameHeight;
    plan.requireEnd = untilEnd;

    const int threads = writerThreads(options);
    FrameWriter writer(*sink, threads, (sink->ordered() ? 1 : threads) + kExtraBuffers);
    // --stats ends with its own report of what was written.
    const Progress::Mode mode = ::isatty(2)     ? Progress::Mode::Bar
                                : options.stats ? Progress::Mode::Quiet
                                                : Progress::Mode::Lines;
    Progress progress(plannedFrames(plan, show.endTime), mode);
    const auto start = std::chrono::steady_clock::now();
    const CaptureResult result = runCapture(plan, writer, progress);
    progress.finish();

    // Every frame handed over is written, also when the capture stops for
    // an error; the output is completed (moved into place) only without one.
    std::string message = stopMessage(result, options);
    std::string writeError;
    if (!writer.close(writeError) && message.empty()) message = writeError;
    if (message.empty()) {
        std::string finishError;
        if (!sink->finish(finishError)) message = finishError;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (message.empty() && result.shotAtEnd)
        std::fprintf(stderr, "korvane-capture: the show ends at %d ms: the shot is its last frame, at %d ms\n",
                     int(result.endTime), int(result.lastFrame));
    if (options.stats) printStats(result, writer, *sink, seconds, threads);
    if (!message.empty()) return failWith(message);
    return 0;
}

int main(int argc, char** argv) {
    guardOutputs();  // before any thread starts
    CaptureOptions options;
    std::string error;
    switch (parseOptions(argc, argv, options, error)) {
    case ParseResult::Help: std::fputs(kUsage, stdout); return 0;
    case ParseResult::Error:
        std::fprintf(stderr, "korvane-capture: %s\n%s", error.c_str(), kUsage);
        return 1;
    case ParseResult::Run: break;
    }
    // A dead ffmpeg shows as a failed write, not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    options.outPath = absolute(options.outPath);
    return capture(options);
}
