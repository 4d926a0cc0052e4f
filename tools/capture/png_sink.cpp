#include "png_sink.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "png_write.h"
#include "staged_file.h"

// Whether path can be written, tried by making its temporary file.
static bool checkWritable(const std::string& path, std::string& error) {
    StagedFile probe(path);
    return probe.create(error);
}

// The picture appears under path complete, or not at all.
static bool writePngFile(const std::string& path, const Frame& frame, std::string& error) {
    StagedFile file(path);
    if (!file.create(error)) return false;
    const int fd = file.fd();
    file.fd() = -1;  // writePng closes it
    std::string why;
    if (!writePng(fd, frame, why)) {
        error = "cannot write " + path + ": " + why;
        return false;
    }
    return file.commit(error);
}

std::string PngFramesSink::framePath(const std::string& dir, int64_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(index));
    return dir + "/" + name;
}

bool PngFramesSink::open(std::string& error) {
    if (::mkdir(dir_.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot make " + dir_ + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::stat(dir_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "cannot write frames to " + dir_ + ": not a directory";
        return false;
    }
    return checkWritable(framePath(dir_, 0), error);
}

bool PngFramesSink::write(const Frame& frame, std::string& error) {
    return writePngFile(framePath(dir_, frame.index), frame, error);
}

bool PngShotSink::open(std::string& error) { return checkWritable(path_, error); }

bool PngShotSink::write(const Frame& frame, std::string& error) {
    written_ = true;
    return writePngFile(path_, frame, error);
}

bool PngShotSink::finish(std::string& error) {
    if (!written_) error = "no frame was captured for " + path_;
    return written_;
}
