// libavformat, libavcodec, libswresample and libavutil, loaded at run time
// for the music decoder. Debian's libavcodec brings some 130 libraries with
// it; loading and binding them costs about as much processor time as the
// rest of the player's start-up before its window, so the player has them
// loaded on a thread of their own while its window opens.
#pragma once

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

// Every function of the libraries that the music decoder calls.
#define KORVANE_LIBAV_FUNCTIONS(X)                                                                                    \
    X(av_channel_layout_compare) X(av_channel_layout_copy) X(av_channel_layout_default) X(av_channel_layout_uninit) \
    X(av_find_best_stream) X(av_frame_alloc) X(av_frame_free) X(av_frame_unref) X(av_free) X(av_freep)              \
    X(av_log_set_level) X(av_malloc) X(av_packet_alloc) X(av_packet_free) X(av_packet_unref) X(av_read_frame)       \
    X(av_rescale) X(av_rescale_q) X(av_strerror) X(avcodec_alloc_context3) X(avcodec_free_context) X(avcodec_open2) \
    X(avcodec_parameters_to_context) X(avcodec_receive_frame) X(avcodec_send_packet) X(avformat_alloc_context)      \
    X(avformat_close_input) X(avformat_find_stream_info) X(avformat_open_input) X(avio_alloc_context)               \
    X(avio_context_free) X(avio_size) X(swr_alloc_set_opts2) X(swr_convert) X(swr_free) X(swr_get_out_samples)      \
    X(swr_init)

struct Libav {
#define KORVANE_LIBAV_POINTER(name) decltype(&::name) name;
    KORVANE_LIBAV_FUNCTIONS(KORVANE_LIBAV_POINTER)
#undef KORVANE_LIBAV_POINTER
};

// The functions, the libraries loaded by the first call (later calls, on any
// thread, wait for it, as for the thread of libavLoadAhead()). Null when they
// cannot be loaded: *why then says so.
const Libav* libav(std::string* why = nullptr);
// Starts loading them on a thread of their own, and returns at once. A
// process that never calls libav() afterwards may end while it loads.
void libavLoadAhead();
