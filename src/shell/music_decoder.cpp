// Music decoding: libavformat reads the file through a descriptor opened as a
// plain file, libavcodec decodes, libswresample converts to the output format.
#include "shell/music_decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "assets/plainfile.h"
#include "shell/music_libav.h"

namespace {

// What real music files have. A header beyond them is damaged or hostile: a
// rate of 2^31 overruns the resampler's filter tables, and a rate of 1 turns
// every decoded frame into 44,100 output frames.
const int kLowestRate = 8000;
const int kHighestRate = 384000;
const int kMostChannels = 8;

// Opening reads at most this many packets for the first sound; a file whose
// first packets all fail to decode (MPEG frame headers with nothing behind
// them) holds nothing that plays.
const int kPacketsToFirstSound = 1000;

const int kReadBufferBytes = 64 * 1024;

std::string avMessage(const Libav* av, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av->av_strerror(code, text, sizeof text);
    return text;
}

// Empty for a rate and channel count that music has; else what is wrong, for the author.
std::string formatProblem(int rate, int channels) {
    if (rate < kLowestRate || rate > kHighestRate)
        return (rate > 0 ? "claims a sample rate of " + std::to_string(rate) + " Hz" : std::string("gives no sample rate")) +
               "; music files have " + std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) + " Hz";
    if (channels < 1 || channels > kMostChannels)
        return "claims " + std::to_string(channels) + " channels; music files have 1 to " + std::to_string(kMostChannels);
    return "";
}

// libavformat's reads and seeks on the descriptor that opaque points to.
int readFile(void* opaque, uint8_t* buffer, int size) {
    const int fd = *static_cast<const int*>(opaque);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size_t(size));
        if (n > 0) return int(n);
        if (n == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

int64_t seekFile(void* opaque, int64_t offset, int whence) {
    const int fd = *static_cast<const int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st;
        return ::fstat(fd, &st) == 0 ? int64_t(st.st_size) : AVERROR(errno);
    }
    const off_t at = ::lseek(fd, off_t(offset), whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : int64_t(at);
}

}  // namespace

struct MusicDecoder::Impl {
    Impl() = default;
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    bool open(const std::string& path, std::string& why);
    bool decodeMore(int packetLimit);
    void convert(const AVFrame* input);
    bool configure(const AVFrame* input);
    void resample(const uint8_t* const* input, int count);
    size_t pendingSamples() const { return pending.size() - taken; }

    const Libav* av = nullptr;
    int fd = -1;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    // The resampler, for frames of this format, rate and layout (chained Ogg streams change them).
    SwrContext* resampler = nullptr;
    int inFormat = -1;
    int inRate = 0;
    AVChannelLayout inLayout = {};
    // Output made and not yet read: samples from taken on.
    std::vector<int16_t> pending;
    size_t taken = 0;
    bool demuxed = false;  // every packet read, and the decoder told so
    bool ended = false;    // the decoder and the resampler drained too
};

MusicDecoder::Impl::~Impl() {
    if (av) {
        av->swr_free(&resampler);
        av->av_channel_layout_uninit(&inLayout);
        av->av_frame_free(&frame);
        av->av_packet_free(&packet);
        av->avcodec_free_context(&codec);
        av->avformat_close_input(&format);  // leaves the reader, which is ours
        if (io) av->av_freep(&io->buffer);
        av->avio_context_free(&io);
    }
    if (fd >= 0) ::close(fd);
}

bool MusicDecoder::Impl::open(const std::string& path, std::string& why) {
    std::string error;
    PlainOpen opened;
    fd = openPlainFile(path.c_str(), opened, error);  // a pipe swapped in since the listing would block
    if (fd < 0) {
        why = "cannot be read (" + error + ")";
        return false;
    }
    av = libav(&error);
    if (!av) {
        why = "cannot be decoded: " + error;
        return false;
    }
    av->av_log_set_level(AV_LOG_QUIET);  // what goes wrong reaches the caller as why
    uint8_t* buffer = static_cast<uint8_t*>(av->av_malloc(kReadBufferBytes));
    if (buffer) io = av->avio_alloc_context(buffer, kReadBufferBytes, 0, &fd, readFile, nullptr, seekFile);
    format = io ? av->avformat_alloc_context() : nullptr;
    if (!format) {
        if (!io) av->av_free(buffer);
        why = "not enough memory to decode it";
        return false;
    }
    format->pb = io;
    format->flags |= AVFMT_FLAG_CUSTOM_IO;
    int rc = av->avformat_open_input(&format, path.c_str(), nullptr, nullptr);  // frees format on failure
    if (rc < 0) {
        // libavformat found no format in it (its message then says little), or could not read it.
        const bool unknown = rc == AVERROR_INVALIDDATA || rc == AVERROR_EOF || rc == AVERROR(EINVAL);
        why = unknown ? "holds no MP3, Ogg Vorbis, XM or IT music" : "cannot be read as music (" + avMessage(av, rc) + ")";
        return false;
    }
    // Before any decoder sees a header: containers that give the rate and the
    // channels themselves (Ogg, modules) give them now. MPEG audio gives them
    // only from its frames, whose headers cannot claim more than 48 kHz stereo.
    for (unsigned i = 0; i < format->nb_streams; i++) {
        const AVCodecParameters* claimed = format->streams[i]->codecpar;
        if (claimed->codec_type != AVMEDIA_TYPE_AUDIO || (!claimed->sample_rate && !claimed->ch_layout.nb_channels))
            continue;
        why = formatProblem(claimed->sample_rate, claimed->ch_layout.nb_channels);
        if (!why.empty()) return false;
    }
    av->avformat_find_stream_info(format, nullptr);  // fills in what the headers leave out; may fail harmlessly
    const AVCodec* decoder = nullptr;
    stream = av->av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder) {
        why = "holds no sound that can be decoded";
        return false;
    }
    const AVCodecParameters* parameters = format->streams[stream]->codecpar;
    why = formatProblem(parameters->sample_rate, parameters->ch_layout.nb_channels);
    if (!why.empty()) return false;
    codec = av->avcodec_alloc_context3(decoder);
    packet = av->av_packet_alloc();
    frame = av->av_frame_alloc();
    if (!codec || !packet || !frame) {
        why = "not enough memory to decode it";
        return false;
    }
    if ((rc = av->avcodec_parameters_to_context(codec, parameters)) < 0 || (rc = av->avcodec_open2(codec, decoder, nullptr)) < 0) {
        why = "cannot be decoded (" + avMessage(av, rc) + ")";
        return false;
    }
    if (!decodeMore(kPacketsToFirstSound)) {
        why = "holds no sound that can be decoded";
        return false;
    }
    return true;
}

// Decodes until output is pending. False when the music has ended, or when
// packetLimit packets (-1: no limit) gave none.
bool MusicDecoder::Impl::decodeMore(int packetLimit) {
    while (pendingSamples() == 0) {
        if (ended) return false;
        const int rc = av->avcodec_receive_frame(codec, frame);
        if (rc == 0) {
            convert(frame);
            av->av_frame_unref(frame);
            continue;
        }
        if (demuxed) {  // drained (or failing while draining): what the resampler holds is the last
            if (resampler) resample(nullptr, 0);
            ended = true;
            continue;
        }
        // Otherwise the decoder wants a packet, or failed on the last one,
        // which is then passed over, as players do.
        if (packetLimit == 0) return false;
        if (packetLimit > 0) packetLimit--;
        if (av->av_read_frame(format, packet) < 0) {  // the end, or unreadable from here on
            demuxed = true;
            av->avcodec_send_packet(codec, nullptr);
            continue;
        }
        if (packet->stream_index == stream) av->avcodec_send_packet(codec, packet);  // failures show at receive
        av->av_packet_unref(packet);
    }
    return true;
}

void MusicDecoder::Impl::convert(const AVFrame* input) {
    // A chained stream can claim anything again: such frames are passed over.
    if (!formatProblem(input->sample_rate, input->ch_layout.nb_channels).empty()) return;
    if (!resampler || input->format != inFormat || input->sample_rate != inRate ||
        av->av_channel_layout_compare(&input->ch_layout, &inLayout) != 0) {
        if (resampler) resample(nullptr, 0);  // what the one before still holds
        if (!configure(input)) return;
    }
    resample(input->extended_data, input->nb_samples);
}

bool MusicDecoder::Impl::configure(const AVFrame* input) {
    av->swr_free(&resampler);
    inFormat = -1;
    AVChannelLayout layout = {};
    if (input->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) av->av_channel_layout_default(&layout, input->ch_layout.nb_channels);
    else if (av->av_channel_layout_copy(&layout, &input->ch_layout) < 0) return false;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    const int rc = av->swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, kMusicRate, &layout,
                                       AVSampleFormat(input->format), input->sample_rate, 0, nullptr);
    av->av_channel_layout_uninit(&layout);
    if (rc < 0 || av->swr_init(resampler) < 0) {
        av->swr_free(&resampler);
        return false;
    }
    inFormat = input->format;
    inRate = input->sample_rate;
    av->av_channel_layout_uninit(&inLayout);
    return av->av_channel_layout_copy(&inLayout, &input->ch_layout) == 0;
}

void MusicDecoder::Impl::resample(const uint8_t* const* input, int count) {
    const int room = av->swr_get_out_samples(resampler, count);
    if (room <= 0) return;
    if (taken > 0) {  // what was read makes room first, so pending stays a frame's worth
        pending.erase(pending.begin(), pending.begin() + std::ptrdiff_t(taken));
        taken = 0;
    }
    const size_t start = pending.size();
    pending.resize(start + size_t(room) * kMusicChannels);
    uint8_t* out = reinterpret_cast<uint8_t*>(pending.data() + start);
    const int made = av->swr_convert(resampler, &out, room, const_cast<const uint8_t**>(input), count);
    pending.resize(start + size_t(std::max(made, 0)) * kMusicChannels);
}

MusicDecoder::MusicDecoder() = default;
MusicDecoder::~MusicDecoder() = default;

bool MusicDecoder::open(const std::string& path, std::string& why) {
    impl_ = std::make_unique<Impl>();
    try {
        if (impl_->open(path, why)) return true;
    } catch (const std::bad_alloc&) {
        why = "not enough memory to decode it";
    }
    impl_.reset();
    return false;
}

int MusicDecoder::read(int16_t* out, int frames) {
    if (!impl_) return 0;
    Impl& d = *impl_;
    int done = 0;
    while (done < frames && d.decodeMore(-1)) {
        const size_t n = std::min(size_t(frames - done), d.pendingSamples() / kMusicChannels);
        std::memcpy(out + size_t(done) * kMusicChannels, d.pending.data() + d.taken, n * kMusicChannels * sizeof(int16_t));
        d.taken += n * kMusicChannels;
        done += int(n);
    }
    return done;
}

int64_t MusicDecoder::length() const {
    if (!impl_) return 0;
    const Libav* av = impl_->av;
    const AVStream* stream = impl_->format->streams[impl_->stream];
    if (stream->duration > 0) return av->av_rescale_q(stream->duration, stream->time_base, AVRational{1, kMusicRate});
    if (impl_->format->duration > 0) return av->av_rescale(impl_->format->duration, kMusicRate, AV_TIME_BASE);
    // A constant bit rate (an MP3 without a frame count): the size says it.
    const int64_t bytes = av->avio_size(impl_->format->pb);
    const int64_t bitRate = stream->codecpar->bit_rate;
    return bytes > 0 && bitRate > 0 ? av->av_rescale(bytes * 8, kMusicRate, bitRate) : 0;
}

std::string musicProblem(const std::string& path) {
    MusicDecoder decoder;
    std::string why;
    return decoder.open(path, why) ? std::string() : why;
}
