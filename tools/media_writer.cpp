#include "tools/media_writer.h"

#include "tools/snd_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

namespace {
// One output file with its streams; everything is freed on destruction.
struct Output {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVPacket* packet = nullptr;
    bool headerWritten = false;
    bool fileOpen = false;

    ~Output() {
        if (packet) av_packet_free(&packet);
        if (video) avcodec_free_context(&video);
        if (audio) avcodec_free_context(&audio);
        if (format) {
            if (fileOpen) avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }
};

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

// Sends one frame (or null to flush) and writes every packet that comes out.
bool Encode(Output& out, AVCodecContext* codec, AVStream* stream, AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    for (;;) {
        int rc = avcodec_receive_packet(codec, out.packet);
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
        if (rc < 0) return false;
        av_packet_rescale_ts(out.packet, codec->time_base, stream->time_base);
        out.packet->stream_index = stream->index;
        if (av_interleaved_write_frame(out.format, out.packet) < 0) return false;
    }
}

AVCodecContext* OpenAudioCodec(Output& out, const AVCodec* codec, int rate, int channels, AVSampleFormat fmt) {
    AVCodecContext* c = avcodec_alloc_context3(codec);
    if (!c) return nullptr;
    c->sample_rate = rate;
    c->sample_fmt = fmt;
    av_channel_layout_default(&c->ch_layout, channels);
    c->bit_rate = 128000;
    c->time_base = AVRational{1, rate};
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) {
        avcodec_free_context(&c);
        return nullptr;
    }
    return c;
}

bool StartFile(Output& out, const std::string& hostPath, const char* container) {
    av_log_set_level(AV_LOG_QUIET);
    if (avformat_alloc_output_context2(&out.format, nullptr, container, hostPath.c_str()) < 0) return false;
    out.packet = av_packet_alloc();
    return out.packet != nullptr;
}

bool WriteHeader(Output& out, const std::string& hostPath) {
    if (avio_open(&out.format->pb, hostPath.c_str(), AVIO_FLAG_WRITE) < 0) return false;
    out.fileOpen = true;
    if (avformat_write_header(out.format, nullptr) < 0) return false;
    out.headerWritten = true;
    return true;
}

// Feeds interleaved samples to an audio encoder in frames of its size.
bool EncodeSamples(Output& out, const std::vector<int16_t>& samples, int channels) {
    AVCodecContext* c = out.audio;
    const int frameSize = c->frame_size > 0 ? c->frame_size : 1024;
    const bool planar = av_sample_fmt_is_planar(c->sample_fmt);
    AVFrame* frame = av_frame_alloc();
    if (!frame) return false;
    const size_t total = samples.size() / size_t(channels);
    bool ok = true;
    for (size_t at = 0; ok && at < total; at += size_t(frameSize)) {
        // Encoders with a fixed frame size want whole frames: the tail is
        // padded with silence.
        const int n = c->frame_size > 0 ? frameSize : int(std::min<size_t>(frameSize, total - at));
        frame->nb_samples = n;
        frame->format = c->sample_fmt;
        frame->sample_rate = c->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &c->ch_layout);
        if (av_frame_get_buffer(frame, 0) < 0) {
            ok = false;
            break;
        }
        for (int i = 0; i < n; ++i) {
            for (int ch = 0; ch < channels; ++ch) {
                const size_t src = (at + size_t(i)) * size_t(channels) + size_t(ch);
                const int16_t v = src < samples.size() && at + size_t(i) < total ? samples[src] : 0;
                if (planar) {
                    reinterpret_cast<int16_t*>(frame->data[ch])[i] = v;
                } else {
                    reinterpret_cast<int16_t*>(frame->data[0])[i * channels + ch] = v;
                }
            }
        }
        frame->pts = int64_t(at);
        ok = Encode(out, c, out.audioStream, frame);
        av_frame_unref(frame);
    }
    av_frame_free(&frame);
    return ok && Encode(out, c, out.audioStream, nullptr);
}
} // namespace

bool CanWriteMp3() { return avcodec_find_encoder(AV_CODEC_ID_MP3) != nullptr; }

bool WriteMp3File(const std::string& hostPath, const std::vector<int16_t>& samples, int rate, int channels,
                  std::string* error) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
    if (!codec) return Fail(error, "no mp3 encoder");
    Output out;
    if (!StartFile(out, hostPath, "mp3")) return Fail(error, "cannot start the mp3 file");
    out.audio = OpenAudioCodec(out, codec, rate, channels, AV_SAMPLE_FMT_S16P);
    if (!out.audio) return Fail(error, "cannot open the mp3 encoder");
    out.audioStream = avformat_new_stream(out.format, nullptr);
    if (!out.audioStream || avcodec_parameters_from_context(out.audioStream->codecpar, out.audio) < 0) {
        return Fail(error, "cannot add the sound stream");
    }
    out.audioStream->time_base = out.audio->time_base;
    if (!WriteHeader(out, hostPath)) return Fail(error, "cannot write " + hostPath);
    if (!EncodeSamples(out, samples, channels)) return Fail(error, "mp3 encoding failed");
    if (av_write_trailer(out.format) < 0) return Fail(error, "cannot finish " + hostPath);
    return true;
}

void VideoClipColour(int frame, uint8_t* red, uint8_t* green, uint8_t* blue) {
    *red = uint8_t(frame * 48);
    *green = uint8_t(200 - frame * 16);
    *blue = uint8_t(40 + frame * 24);
}

static bool EncodeVideoFrames(Output& out, const VideoClipSpec& spec) {
    AVFrame* rgb = av_frame_alloc();
    AVFrame* yuv = av_frame_alloc();
    SwsContext* sws = sws_getContext(spec.width, spec.height, AV_PIX_FMT_RGB24, spec.width, spec.height,
                                     AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
    bool ok = rgb && yuv && sws;
    if (ok) {
        rgb->format = AV_PIX_FMT_RGB24;
        rgb->width = spec.width;
        rgb->height = spec.height;
        yuv->format = AV_PIX_FMT_YUV420P;
        yuv->width = spec.width;
        yuv->height = spec.height;
        ok = av_frame_get_buffer(rgb, 0) >= 0 && av_frame_get_buffer(yuv, 0) >= 0;
    }
    for (int k = 1; ok && k <= spec.frames; ++k) {
        uint8_t r, g, b;
        VideoClipColour(k, &r, &g, &b);
        for (int y = 0; y < spec.height; ++y) {
            uint8_t* row = rgb->data[0] + ptrdiff_t(y) * rgb->linesize[0];
            for (int x = 0; x < spec.width; ++x) {
                row[x * 3] = r;
                row[x * 3 + 1] = g;
                row[x * 3 + 2] = b;
            }
        }
        ok = av_frame_make_writable(yuv) >= 0 &&
             sws_scale(sws, rgb->data, rgb->linesize, 0, spec.height, yuv->data, yuv->linesize) > 0;
        yuv->pts = k - 1;
        ok = ok && Encode(out, out.video, out.videoStream, yuv);
    }
    ok = ok && Encode(out, out.video, out.videoStream, nullptr);
    sws_freeContext(sws);
    av_frame_free(&rgb);
    av_frame_free(&yuv);
    return ok;
}

bool WriteVideoFile(const std::string& hostPath, const VideoClipSpec& spec, std::string* error) {
    if (spec.width <= 0 || spec.height <= 0 || spec.frames <= 0 || spec.fps <= 0) return Fail(error, "bad clip");
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (!codec) return Fail(error, "no MPEG-4 encoder");
    Output out;
    if (!StartFile(out, hostPath, "avi")) return Fail(error, "cannot start the video file");
    out.video = avcodec_alloc_context3(codec);
    if (!out.video) return Fail(error, "out of memory");
    out.video->width = spec.width;
    out.video->height = spec.height;
    out.video->pix_fmt = AV_PIX_FMT_YUV420P;
    out.video->time_base = AVRational{1, spec.fps};
    out.video->framerate = AVRational{spec.fps, 1};
    out.video->gop_size = 12;
    out.video->flags |= AV_CODEC_FLAG_QSCALE;
    out.video->global_quality = FF_QP2LAMBDA * 2;
    if (avcodec_open2(out.video, codec, nullptr) < 0) return Fail(error, "cannot open the video encoder");
    out.videoStream = avformat_new_stream(out.format, nullptr);
    if (!out.videoStream || avcodec_parameters_from_context(out.videoStream->codecpar, out.video) < 0) {
        return Fail(error, "cannot add the picture stream");
    }
    out.videoStream->time_base = out.video->time_base;

    const int rate = 22050;
    std::vector<int16_t> tone;
    if (spec.withSound) {
        const AVCodec* pcm = avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
        out.audio = pcm ? OpenAudioCodec(out, pcm, rate, 2, AV_SAMPLE_FMT_S16) : nullptr;
        if (!out.audio) return Fail(error, "cannot open the sound encoder");
        out.audioStream = avformat_new_stream(out.format, nullptr);
        if (!out.audioStream || avcodec_parameters_from_context(out.audioStream->codecpar, out.audio) < 0) {
            return Fail(error, "cannot add the sound stream");
        }
        out.audioStream->time_base = out.audio->time_base;
        tone = ToneSamples(spec.toneHz, spec.frames * 1000 / spec.fps, rate, 2, 8000);
    }
    if (!WriteHeader(out, hostPath)) return Fail(error, "cannot write " + hostPath);
    if (!EncodeVideoFrames(out, spec)) return Fail(error, "video encoding failed");
    if (spec.withSound && !EncodeSamples(out, tone, 2)) return Fail(error, "sound encoding failed");
    if (av_write_trailer(out.format) < 0) return Fail(error, "cannot finish " + hostPath);
    return true;
}
