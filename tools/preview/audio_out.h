// The preview's music: the show's music file decoded once in the background,
// played through SDL's audio device from any show time.
//
// Show time 0 is the music's sample 0. Before it and beyond the music's end
// the output is silence. While playing, the position advances with the audio
// device whether or not the decode has finished, so music that becomes ready
// late starts at the show time it is then, not at its beginning.
//
// Nothing here fails loudly: without an audio device, or with a file that
// does not decode, the preview is silent and error() says why.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class AudioOut {
public:
    AudioOut() = default;
    ~AudioOut();  // stops a decode still running; close() must come before SDL_Quit
    AudioOut(const AudioOut&) = delete;
    AudioOut& operator=(const AudioOut&) = delete;

    // Makes path the music (a path from showMusicPath()) and returns at once:
    // opens the audio device if it is not open, and decodes the file on
    // another thread. The same path again, while the file on disk is
    // unchanged (device, inode, size and modification time), keeps what is
    // decoded, so the preview calls this on every reload. A changed file is
    // silent until its new decode is ready. An empty path means no music.
    // Playing or paused, and the position, stay as they are.
    void open(const std::string& path);
    // Plays from showTimeMs: the next buffer the device asks for starts at that sample.
    void play(int32_t showTimeMs);
    // Silence from the next buffer on, until play().
    void pause();
    bool playing() const;
    // Whether decoded music is in place.
    bool ready() const;
    // The decoded music (interleaved stereo at kMusicRate), shared with
    // whoever else reads it; null before it is ready. It never changes: a
    // new file comes as new samples.
    std::shared_ptr<const std::vector<int16_t>> music() const;
    // Empty when all is well; else one line for the preview's overlay:
    // "PATH: ..." for a file that does not decode or was cut, "audio: ..." without a device.
    std::string error() const;
    // Stops the decode, closes the device (and SDL's audio if open() started it), frees the music.
    void close();

private:
    struct FileId {
        std::string path;
        long long device = 0, inode = 0, size = 0, modified = 0;  // modified in nanoseconds
        bool operator==(const FileId& other) const;
    };
    static FileId identify(const std::string& path);
    bool openDevice();
    void stopDecode();
    void decode(const std::string& path);  // runs on decoder_
    void setError(const std::string& text);
    // The device callback: the next frames of 16-bit stereo; advances the position while playing.
    static void callback(void* self, uint8_t* stream, int bytes);
    void fill(int16_t* out, int frames);

    // Shared with the device callback, changed only under SDL_LockAudio.
    std::shared_ptr<const std::vector<int16_t>> pcm_;  // interleaved stereo at kMusicRate
    int64_t position_ = 0;      // frame of the next sample out; negative before show time 0
    bool playing_ = false;

    bool deviceOpen_ = false;
    bool startedAudio_ = false;  // SDL's audio subsystem was started here
    FileId file_;
    std::thread decoder_;
    std::atomic<bool> cancel_{false};
    mutable std::mutex errorLock_;  // error_ is written by the decoder thread too
    std::string error_;
};

// The preview's one music output: opened by the preview when its window is up,
// closed before SDL_Quit.
extern AudioOut audioOut;
