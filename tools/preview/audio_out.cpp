// The preview's music output over SDL 1.2 audio: a callback copies decoded
// PCM from the position; play and pause move it under SDL_LockAudio.
#include "audio_out.h"

#include <SDL/SDL.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "music_decode.h"

// Filled by the preview; valid from its first open() to its close().
AudioOut audioOut;

// 512 frames: 11.6 ms, so a seek is heard within one 60 Hz frame.
static const int kBufferFrames = 512;

namespace {

// Holds SDL's audio lock while the device is open; without a device there is no callback to exclude.
class AudioLock {
public:
    explicit AudioLock(bool open) : open_(open) {
        if (open_) SDL_LockAudio();
    }
    ~AudioLock() {
        if (open_) SDL_UnlockAudio();
    }
    AudioLock(const AudioLock&) = delete;
    AudioLock& operator=(const AudioLock&) = delete;

private:
    bool open_;
};

}  // namespace

bool AudioOut::FileId::operator==(const FileId& other) const {
    return path == other.path && device == other.device && inode == other.inode && size == other.size &&
           modified == other.modified;
}

AudioOut::FileId AudioOut::identify(const std::string& path) {
    FileId id;
    id.path = path;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        id.device = static_cast<long long>(info.st_dev);
        id.inode = static_cast<long long>(info.st_ino);
        id.size = static_cast<long long>(info.st_size);
        id.modified = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
    }
    return id;
}

AudioOut::~AudioOut() { stopDecode(); }

void AudioOut::open(const std::string& path) {
    if (path.empty()) {
        stopDecode();
        std::shared_ptr<const std::vector<int16_t>> old;
        {
            AudioLock lock(deviceOpen_);
            old.swap(pcm_);
        }
        file_ = FileId();
        setError("");
        return;
    }
    if (!deviceOpen_ && !openDevice()) return;
    const FileId id = identify(path);
    if (id == file_) return;
    stopDecode();
    std::shared_ptr<const std::vector<int16_t>> old;
    {
        AudioLock lock(deviceOpen_);
        old.swap(pcm_);  // freed outside the lock, so the callback does not wait for it
    }
    file_ = id;
    setError("");
    cancel_ = false;
    decoder_ = std::thread(&AudioOut::decode, this, path);
}

void AudioOut::play(int32_t showTimeMs) {
    AudioLock lock(deviceOpen_);
    position_ = int64_t(showTimeMs) * kMusicRate / 1000;
    playing_ = true;
}

void AudioOut::pause() {
    AudioLock lock(deviceOpen_);
    playing_ = false;
}

bool AudioOut::playing() const { return playing_; }

bool AudioOut::ready() const {
    AudioLock lock(deviceOpen_);
    return pcm_ != nullptr;
}

std::shared_ptr<const std::vector<int16_t>> AudioOut::music() const {
    AudioLock lock(deviceOpen_);
    return pcm_;
}

std::string AudioOut::error() const {
    std::lock_guard<std::mutex> guard(errorLock_);
    return error_;
}

void AudioOut::close() {
    stopDecode();
    if (deviceOpen_) SDL_CloseAudio();
    if (startedAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    deviceOpen_ = false;
    startedAudio_ = false;
    pcm_.reset();
    position_ = 0;
    playing_ = false;
    file_ = FileId();
    setError("");
}

bool AudioOut::openDevice() {
    if (SDL_WasInit(SDL_INIT_AUDIO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            setError(std::string("audio: no audio device (") + SDL_GetError() + "); the preview is silent");
            return false;
        }
        startedAudio_ = true;
    }
    SDL_AudioSpec wanted = {};
    wanted.freq = kMusicRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kMusicChannels;
    wanted.samples = kBufferFrames;
    wanted.callback = callback;
    wanted.userdata = this;
    // No spec back: SDL converts to whatever the device takes.
    if (SDL_OpenAudio(&wanted, nullptr) != 0) {
        setError(std::string("audio: no audio device (") + SDL_GetError() + "); the preview is silent");
        if (startedAudio_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        startedAudio_ = false;
        return false;
    }
    deviceOpen_ = true;
    SDL_PauseAudio(0);  // the device runs from now on; pause() only silences it
    return true;
}

void AudioOut::stopDecode() {
    if (!decoder_.joinable()) return;
    cancel_ = true;
    decoder_.join();
}

void AudioOut::decode(const std::string& path) {
    DecodedMusic music = decodeMusic(path, cancel_);
    if (cancel_) return;  // superseded by a later open() or close()
    setError(music.message);
    std::shared_ptr<const std::vector<int16_t>> decoded;
    if (!music.pcm.empty()) decoded = std::make_shared<const std::vector<int16_t>>(std::move(music.pcm));
    AudioLock lock(true);  // the decoder runs only while the device is open
    pcm_.swap(decoded);
}

void AudioOut::setError(const std::string& text) {
    std::lock_guard<std::mutex> guard(errorLock_);
    error_ = text;
}

void AudioOut::callback(void* self, uint8_t* stream, int bytes) {
    static_cast<AudioOut*>(self)->fill(reinterpret_cast<int16_t*>(stream), bytes / (2 * kMusicChannels));
}

void AudioOut::fill(int16_t* out, int frames) {
    std::memset(out, 0, size_t(frames) * kMusicChannels * sizeof(int16_t));
    if (!playing_) return;
    const int16_t* pcm = pcm_ ? pcm_->data() : nullptr;
    const int64_t total = pcm_ ? int64_t(pcm_->size()) / kMusicChannels : 0;
    const int64_t from = std::max<int64_t>(position_, 0);
    const int64_t to = std::min<int64_t>(position_ + frames, total);
    if (from < to)
        std::memcpy(out + (from - position_) * kMusicChannels, pcm + from * kMusicChannels,
                    size_t(to - from) * kMusicChannels * sizeof(int16_t));
    position_ += frames;
}
