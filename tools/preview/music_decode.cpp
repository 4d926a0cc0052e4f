// Whole-file music decoding: demux, decode, resample to the output format.
#include "music_decode.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace {

struct FormatCloser {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ResamplerFreer {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
using Format = std::unique_ptr<AVFormatContext, FormatCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;
using Resampler = std::unique_ptr<SwrContext, ResamplerFreer>;

std::string avMessage(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Converts decoded frames to the output format and appends them, up to a bound.
// Rebuilt when the input's layout, format or rate changes (chained Ogg streams).
class Output {
public:
    Output(std::vector<int16_t>* pcm, int64_t maxFrames) : pcm_(pcm), maxFrames_(maxFrames) {}
    ~Output() { av_channel_layout_uninit(&layout_); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool full() const { return frames() >= maxFrames_; }
    bool failed() const { return failed_; }

    void add(const AVFrame* frame) {
        if (failed_ || full()) return;
        if (!resampler_ || frame->format != format_ || frame->sample_rate != rate_ ||
            av_channel_layout_compare(&frame->ch_layout, &layout_) != 0) {
            flush();
            if (!configure(frame)) return;
        }
        convert(frame->extended_data, frame->nb_samples);
    }

    // A frame's length of silence, in the frame's format.
    void addSilence(const AVFrame* like) {
        Frame silence(av_frame_alloc());
        if (!silence) return;
        silence->format = like->format;
        silence->sample_rate = like->sample_rate;
        silence->nb_samples = like->nb_samples;
        if (av_channel_layout_copy(&silence->ch_layout, &like->ch_layout) < 0 ||
            av_frame_get_buffer(silence.get(), 0) < 0)
            return;
        av_samples_set_silence(silence->extended_data, 0, like->nb_samples, like->ch_layout.nb_channels,
                               AVSampleFormat(like->format));
        add(silence.get());
    }

    // Drains what the resampler still holds.
    void flush() {
        if (resampler_) convert(nullptr, 0);
    }

private:
    int64_t frames() const { return int64_t(pcm_->size()) / kMusicChannels; }

    bool configure(const AVFrame* frame) {
        AVChannelLayout in = {};
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            av_channel_layout_default(&in, frame->ch_layout.nb_channels);
        } else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
            failed_ = true;
            return false;
        }
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* made = nullptr;
        const int rc = swr_alloc_set_opts2(&made, &stereo, AV_SAMPLE_FMT_S16, kMusicRate, &in,
                                           AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        resampler_.reset(made);
        if (rc < 0 || swr_init(made) < 0) {
            failed_ = true;
            return false;
        }
        format_ = frame->format;
        rate_ = frame->sample_rate;
        av_channel_layout_uninit(&layout_);
        av_channel_layout_copy(&layout_, &frame->ch_layout);
        return true;
    }

    void convert(const uint8_t* const* in, int count) {
        const int room = swr_get_out_samples(resampler_.get(), count);
        if (room <= 0) return;
        const size_t start = pcm_->size();
        pcm_->resize(start + size_t(room) * kMusicChannels);
        uint8_t* out = reinterpret_cast<uint8_t*>(pcm_->data() + start);
        const int made = swr_convert(resampler_.get(), &out, room, const_cast<const uint8_t**>(in), count);
        pcm_->resize(start + size_t(std::max(made, 0)) * kMusicChannels);
        if (frames() > maxFrames_) pcm_->resize(size_t(maxFrames_) * kMusicChannels);
    }

    std::vector<int16_t>* pcm_;
    int64_t maxFrames_;
    Resampler resampler_;
    int format_ = -1;
    int rate_ = 0;
    AVChannelLayout layout_ = {};
    bool failed_ = false;
};

// Receives every frame the decoder has ready, the first after a frame's length
// of silence when *leadingSilence is set.
void drain(AVCodecContext* codec, AVFrame* frame, Output* output, bool* leadingSilence) {
    while (avcodec_receive_frame(codec, frame) == 0) {
        if (*leadingSilence) output->addSilence(frame);
        *leadingSilence = false;
        output->add(frame);
        av_frame_unref(frame);
    }
}

}  // namespace

DecodedMusic decodeMusic(const std::string& path, const std::atomic<bool>& cancel, int64_t maxFrames) {
    DecodedMusic result;
    auto fail = [&](const std::string& why) {
        result.pcm.clear();
        result.pcm.shrink_to_fit();
        result.message = path + ": " + why;
        return result;
    };

    av_log_set_level(AV_LOG_QUIET);  // what went wrong reaches the preview as the message instead
    AVFormatContext* opened = nullptr;
    int rc = avformat_open_input(&opened, path.c_str(), nullptr, nullptr);
    if (rc < 0) return fail("cannot be read as music: " + avMessage(rc));
    Format format(opened);
    avformat_find_stream_info(format.get(), nullptr);  // fills in what the headers leave out; may fail harmlessly
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder) return fail("holds no sound that can be decoded");
    Codec codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), format->streams[stream]->codecpar) < 0)
        return fail("cannot be decoded");
    // The player's SDL_mixer plays MP3 through libmad, which neither drops the
    // encoder's delay nor skips the LAME or Xing information frame: keep both,
    // so that sample 0 here is the player's (51 ms later for a LAME-tagged file).
    const bool mp3 = codec->codec_id == AV_CODEC_ID_MP3;
    if (mp3) codec->flags2 |= AV_CODEC_FLAG2_SKIP_MANUAL;
    if ((rc = avcodec_open2(codec.get(), decoder, nullptr)) < 0) return fail("cannot be decoded: " + avMessage(rc));

    // Reserve what the container says it lasts, so the vector does not grow by doubling.
    if (format->duration > 0) {
        const int64_t frames = av_rescale(format->duration, kMusicRate, AV_TIME_BASE) + kMusicRate;
        result.pcm.reserve(size_t(std::min(frames, maxFrames)) * kMusicChannels);
    }
    Output output(&result.pcm, maxFrames);
    Packet packet(av_packet_alloc());
    Frame frame(av_frame_alloc());
    if (!packet || !frame) return fail("out of memory");
    bool firstPacket = true;
    bool leadingSilence = false;
    while (!output.full() && !output.failed()) {
        if (cancel) return fail("decoding cancelled");
        if (av_read_frame(format.get(), packet.get()) < 0) break;  // the end, or unreadable from here on
        if (packet->stream_index == stream && firstPacket) {
            // The MP3 demuxer marks the first packet for skipping when it has read, and
            // passed over, a LAME information frame: libmad plays that frame as silence.
            leadingSilence = mp3 && av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, nullptr);
            firstPacket = false;
        }
        // A packet that does not decode is passed over, as players do.
        if (packet->stream_index == stream && avcodec_send_packet(codec.get(), packet.get()) == 0)
            drain(codec.get(), frame.get(), &output, &leadingSilence);
        av_packet_unref(packet.get());
    }
    if (!output.full()) {
        avcodec_send_packet(codec.get(), nullptr);
        drain(codec.get(), frame.get(), &output, &leadingSilence);
    }
    output.flush();
    if (output.failed()) return fail("cannot be converted to 44.1 kHz stereo");
    if (result.pcm.empty()) return fail("holds no sound that can be decoded");
    if (output.full())
        result.message = path + ": longer than " + std::to_string(maxFrames / kMusicRate) +
                         " s; the preview plays only that much";
    return result;
}
