// Ogg Vorbis through libavcodec's libvorbis encoder and libavformat's muxer.
#include "ogg_encode.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

namespace {

struct Output {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    ~Output() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&codec);
        if (format && format->pb) avio_closep(&format->pb);
        avformat_free_context(format);
    }
};

std::string avMessage(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Sends frame (null: the end) and writes every packet the encoder has ready.
int encode(Output& out, AVFrame* frame) {
    int err = avcodec_send_frame(out.codec, frame);
    while (err >= 0) {
        err = avcodec_receive_packet(out.codec, out.packet);
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return 0;
        if (err < 0) break;
        av_packet_rescale_ts(out.packet, out.codec->time_base, out.format->streams[0]->time_base);
        out.packet->stream_index = 0;
        err = av_interleaved_write_frame(out.format, out.packet);
    }
    return err;
}

bool open(Output& out, int rate, const std::string& path, std::string& why) {
    const AVCodec* vorbis = avcodec_find_encoder_by_name("libvorbis");
    if (!vorbis) {
        why = "this FFmpeg has no Vorbis encoder (libvorbis)";
        return false;
    }
    int err = avformat_alloc_output_context2(&out.format, nullptr, "ogg", path.c_str());
    if (err < 0) return why = avMessage(err), false;
    AVStream* stream = avformat_new_stream(out.format, nullptr);
    out.codec = avcodec_alloc_context3(vorbis);
    out.frame = av_frame_alloc();
    out.packet = av_packet_alloc();
    if (!stream || !out.codec || !out.frame || !out.packet) return why = "not enough memory", false;
    out.codec->sample_rate = rate;
    out.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    out.codec->flags |= AV_CODEC_FLAG_QSCALE;
    out.codec->global_quality = 6 * FF_QP2LAMBDA;  // quality 6 of 10: about 190 kbit/s, transparent for music
    av_channel_layout_default(&out.codec->ch_layout, 2);
    out.codec->time_base = {1, rate};
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER) out.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((err = avcodec_open2(out.codec, vorbis, nullptr)) < 0 ||
        (err = avcodec_parameters_from_context(stream->codecpar, out.codec)) < 0 ||
        (err = avio_open(&out.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0 ||
        (err = avformat_write_header(out.format, nullptr)) < 0)
        return why = avMessage(err), false;
    stream->time_base = out.codec->time_base;
    out.frame->format = AV_SAMPLE_FMT_FLTP;
    out.frame->sample_rate = rate;
    out.frame->nb_samples = out.codec->frame_size > 0 ? out.codec->frame_size : 1024;
    if ((err = av_channel_layout_copy(&out.frame->ch_layout, &out.codec->ch_layout)) < 0 ||
        (err = av_frame_get_buffer(out.frame, 0)) < 0)
        return why = avMessage(err), false;
    return true;
}

}  // namespace

bool encodeOgg(const std::vector<int16_t>& pcm, int rate, const std::string& path, std::string& why) {
    Output out;
    if (!open(out, rate, path, why)) return false;
    const int64_t total = int64_t(pcm.size() / 2);
    for (int64_t at = 0; at < total; at += out.frame->nb_samples) {
        const int count = int(std::min<int64_t>(out.frame->nb_samples, total - at));
        int err = av_frame_make_writable(out.frame);
        if (err < 0) return why = avMessage(err), false;
        float* left = reinterpret_cast<float*>(out.frame->data[0]);
        float* right = reinterpret_cast<float*>(out.frame->data[1]);
        for (int i = 0; i < count; i++) {
            left[i] = pcm[size_t(at + i) * 2] / 32768.0f;
            right[i] = pcm[size_t(at + i) * 2 + 1] / 32768.0f;
        }
        out.frame->nb_samples = count;
        out.frame->pts = at;
        if ((err = encode(out, out.frame)) < 0) return why = avMessage(err), false;
    }
    int err = encode(out, nullptr);
    if (err >= 0) err = av_write_trailer(out.format);
    if (err < 0) return why = avMessage(err), false;
    return true;
}
