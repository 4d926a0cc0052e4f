// One music file (MP3, Ogg Vorbis, XM, IT) decoded a piece at a time to the
// output format, with libavformat and libavcodec (modules through libopenmpt).
// The player streams its music with it, the preview decodes a whole file with
// it, and the checker and the capture ask it whether a file plays, so that
// every tool hears the same music and calls the same files silent, for the
// same reason. Part of the native music layer, with music.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The output format: 44.1 kHz, 16-bit signed, stereo.
const int kMusicRate = 44100;
const int kMusicChannels = 2;

class MusicDecoder {
public:
    MusicDecoder();
    ~MusicDecoder();
    MusicDecoder(const MusicDecoder&) = delete;
    MusicDecoder& operator=(const MusicDecoder&) = delete;

    // Opens path and decodes its first sound. False when none of it can play:
    // why then says so, for the show's author, without the path. A header
    // that claims a sample rate or a channel count no music file has is
    // refused before a decoder sees it.
    bool open(const std::string& path, std::string& why);
    // Writes up to frames frames of interleaved stereo to out and returns how
    // many it wrote: fewer only at the end of the music. Parts that do not
    // decode are passed over. May throw std::bad_alloc.
    int read(int16_t* out, int frames);
    // How long the file says the music lasts, in output frames; 0 when it does not say.
    int64_t length() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Empty when path holds music that plays; otherwise why it is silent, as
// MusicDecoder::open says it.
std::string musicProblem(const std::string& path);
