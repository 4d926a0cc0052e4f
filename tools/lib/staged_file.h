// Output files appear under their final names only when complete: each is
// written under a temporary name in its own directory and renamed into
// place. A capture that fails, exits or is interrupted leaves an earlier file
// of that name as it was and no temporary file behind, and no output may
// take the place of one of the show's files.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// First thing in main, before any thread starts: SIGINT, SIGTERM and SIGHUP
// are then taken by a thread of their own, which stops the children started
// through startChild, removes every temporary file and ends the process by
// the same signal. exit() removes them too.
void guardOutputs();

// The files no output may replace, compared by device and inode: a second
// spelling of an input's path (DIR/./data/x.ogg, a link) is the same file.
void protectInputs(const std::vector<std::string>& paths);

// Runs start (which returns the new child or -1) so that an interrupt stops
// the child before the temporary file it writes is removed.
pid_t startChild(const std::function<pid_t()>& start);
// The child has been waited for.
void childEnded(pid_t pid);

// Writes all size bytes to fd, going on after interruptions; false when
// the file takes no more (errno says why).
bool writeAll(int fd, const void* data, size_t size);

class StagedFile {
public:
    explicit StagedFile(std::string path) : path_(std::move(path)) {}
    ~StagedFile();  // removes the temporary file unless committed
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Makes the empty temporary file, open as fd(). Fails, naming the final
    // path, when it cannot be made there, or when the final path is a
    // directory or one of the inputs. A device or pipe (/dev/null) is
    // written in place: there is nothing to rename.
    bool create(std::string& error);
    // The open file; the caller may take it over (set it to -1 then).
    int& fd() { return fd_; }
    // Where the bytes go until commit: the temporary file.
    const std::string& writePath() const { return direct_ ? target_ : temp_; }
    // Puts the complete file at the final path, in one step.
    bool commit(std::string& error);

private:
    void discard();

    std::string path_;    // as the user gave it, for messages
    std::string target_;  // what is replaced: path_ with symbolic links followed
    std::string temp_;
    int fd_ = -1;
    bool direct_ = false;
    bool staged_ = false;  // temp_ exists and is ours
};
