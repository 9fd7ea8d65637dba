// The media decoding library, brought in when the first video or sound is
// opened rather than when the program starts: the program links none of its
// libraries (they bring a hundred more with them, and loading those was most
// of the start-up), and loads the ones its headers were built for, by their
// major versions, the first time a decoder asks. Only platform/ sees it.
#pragma once
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// Every function of the library the decoders call.
#define KYV_MEDIA_FUNCTIONS(X)                                                                                  \
    X(av_channel_layout_copy) X(av_channel_layout_default) X(av_channel_layout_uninit) X(av_dict_free)          \
    X(av_dict_set) X(av_find_best_stream) X(av_find_input_format) X(av_frame_alloc) X(av_frame_free)            \
    X(av_frame_get_buffer) X(av_frame_unref) X(av_free) X(av_freep) X(av_log_set_level) X(av_malloc)            \
    X(av_packet_alloc) X(av_packet_free) X(av_packet_unref) X(av_read_frame) X(av_rescale) X(av_rescale_q)      \
    X(av_seek_frame) X(av_strerror) X(avcodec_alloc_context3) X(avcodec_flush_buffers) X(avcodec_free_context)  \
    X(avcodec_open2) X(avcodec_parameters_to_context) X(avcodec_receive_frame) X(avcodec_send_packet)           \
    X(avformat_alloc_context) X(avformat_close_input) X(avformat_find_stream_info) X(avformat_open_input)       \
    X(avformat_seek_file) X(avio_alloc_context) X(avio_context_free) X(swr_alloc_set_opts2) X(swr_close)        \
    X(swr_convert) X(swr_free) X(swr_get_out_samples) X(swr_init) X(sws_freeContext) X(sws_getCachedContext)    \
    X(sws_scale)

struct MediaLibrary {
#define KYV_MEDIA_POINTER(name) decltype(&::name) name = nullptr;
    KYV_MEDIA_FUNCTIONS(KYV_MEDIA_POINTER)
#undef KYV_MEDIA_POINTER
};

// Loads the library the first time it is called (from any thread; later
// calls give the first answer). False when a library or a function is
// missing, with the reason in MediaLibraryError(); nothing can be decoded
// then, and every open says so.
bool LoadMediaLibrary();
const std::string& MediaLibraryError();
// Whether the library has been loaded (start-up tests: it is not, before
// the first video or sound).
bool MediaLibraryLoaded();
// The functions; only once LoadMediaLibrary() has returned true.
const MediaLibrary& Av();
