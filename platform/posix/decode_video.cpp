// Videos: frames decoded one ahead so the last one is known when it is
// shown, paced by their own time stamps against the platform clock, turned
// into the screen's 16-bit layout; the sound track plays as a stream.
#include "platform/posix/decode_video.h"

#include <algorithm>
#include <vector>

#include "platform/plat_audio.h"
#include "platform/plat_clock.h"
#include "platform/plat_file.h"
#include "platform/plat_video.h"
#include "platform/posix/decode_audio.h"
#include "platform/posix/decode_mixer.h"

#include "platform/posix/media_library.h"

namespace {
struct GeneratedClip {
    std::string path;
    int frames;
    int width;
    int height;
    int frameMs;
};

struct VideoSources {
    std::vector<GeneratedClip> clips;
    std::string lastPath;
};
VideoSources gVideoSources;

const GeneratedClip* FindClip(const char* gamePath) {
    for (const GeneratedClip& c : gVideoSources.clips) {
        if (c.path == gamePath) return &c;
    }
    return nullptr;
}
} // namespace

struct PlatVideo {
    // A generated clip, or a file through the media library.
    bool generated = false;
    GeneratedClip clip{};
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = nullptr;
    int streamIndex = -1;
    bool draining = false;
    // The frame to show next and when it is due, in ms from the start.
    AVFrame* next = nullptr;
    bool haveNext = false;
    int64_t nextMs = 0;
    int decoded = 0;
    int current = 0;
    int knownCount = 0;
    uint32_t startTicks = 0;
    SwsContext* scaler = nullptr;
    std::vector<uint8_t> rgb;
    PlatStream sound = kPlatNoStream;
};

namespace {
int64_t GeneratedTime(const PlatVideo& v, int index) { return int64_t(index) * v.clip.frameMs; }

bool GenerateFrame(PlatVideo& v) {
    if (v.decoded >= v.clip.frames) return false;
    Av().av_frame_unref(v.next);
    v.next->format = AV_PIX_FMT_RGB24;
    v.next->width = v.clip.width;
    v.next->height = v.clip.height;
    if (Av().av_frame_get_buffer(v.next, 0) < 0) return false;
    uint8_t r, g, b;
    VideoGeneratedColour(v.decoded + 1, &r, &g, &b);
    for (int y = 0; y < v.clip.height; ++y) {
        uint8_t* row = v.next->data[0] + static_cast<ptrdiff_t>(y) * v.next->linesize[0];
        for (int x = 0; x < v.clip.width; ++x) {
            row[x * 3] = r;
            row[x * 3 + 1] = g;
            row[x * 3 + 2] = b;
        }
    }
    v.nextMs = GeneratedTime(v, v.decoded);
    return true;
}

int64_t FrameTime(const PlatVideo& v, const AVFrame* frame) {
    const AVStream* s = v.format->streams[v.streamIndex];
    int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) {
        AVRational rate = s->avg_frame_rate.num > 0 ? s->avg_frame_rate : AVRational{25, 1};
        return Av().av_rescale(v.decoded, int64_t(1000) * rate.den, rate.num);
    }
    if (s->start_time != AV_NOPTS_VALUE) ts -= s->start_time;
    return std::max<int64_t>(0, Av().av_rescale_q(ts, s->time_base, AVRational{1, 1000}));
}

bool DecodeFrame(PlatVideo& v) {
    for (;;) {
        int rc = Av().avcodec_receive_frame(v.codec, v.next);
        if (rc == 0) {
            v.nextMs = FrameTime(v, v.next);
            return true;
        }
        if (rc != AVERROR(EAGAIN) || v.draining) return false;
        rc = Av().av_read_frame(v.format, v.packet);
        if (rc < 0) {
            // The end (or a broken tail): let the decoder give what it holds.
            v.draining = true;
            Av().avcodec_send_packet(v.codec, nullptr);
            continue;
        }
        if (v.packet->stream_index == v.streamIndex) {
            rc = Av().avcodec_send_packet(v.codec, v.packet);
            if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_INVALIDDATA) {
                Av().av_packet_unref(v.packet);
                return false;
            }
        }
        Av().av_packet_unref(v.packet);
    }
}

// Fetches the frame after the one being shown.
void FetchNext(PlatVideo& v) {
    v.haveNext = v.generated ? GenerateFrame(v) : DecodeFrame(v);
    if (v.haveNext) ++v.decoded;
}

bool OpenFile(PlatVideo& v, const char* gamePath) {
    Av().av_log_set_level(AV_LOG_QUIET);
    std::string host = PlatResolvePath(gamePath);
    int rc = OpenMediaInput(&v.format, host.c_str(), nullptr);
    if (rc < 0) return MixerSetLastError(std::string(gamePath) + ": cannot open the video"), false;
    if (Av().avformat_find_stream_info(v.format, nullptr) < 0) return MixerSetLastError("bad video file"), false;
    const AVCodec* codec = nullptr;
    v.streamIndex = Av().av_find_best_stream(v.format, AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
    if (v.streamIndex < 0 || !codec) return MixerSetLastError("no picture in the video"), false;
    v.codec = Av().avcodec_alloc_context3(codec);
    v.packet = Av().av_packet_alloc();
    if (!v.codec || !v.packet) return MixerSetLastError("out of memory"), false;
    if (Av().avcodec_parameters_to_context(v.codec, v.format->streams[v.streamIndex]->codecpar) < 0 ||
        Av().avcodec_open2(v.codec, codec, nullptr) < 0) {
        return MixerSetLastError("cannot decode the video"), false;
    }
    v.knownCount = static_cast<int>(std::max<int64_t>(0, v.format->streams[v.streamIndex]->nb_frames));
    return true;
}

void FreeVideo(PlatVideo* v) {
    if (v->sound != kPlatNoStream) PlatStreamClose(v->sound);
    if (v->scaler) Av().sws_freeContext(v->scaler);
    if (v->next) Av().av_frame_free(&v->next);
    if (v->packet) Av().av_packet_free(&v->packet);
    if (v->codec) Av().avcodec_free_context(&v->codec);
    if (v->format) Av().avformat_close_input(&v->format);
    delete v;
}

// Starts the video's own sound, when it has one; a video without sound
// (or without a device) plays silent.
void StartSound(PlatVideo& v, const char* gamePath, int volume) {
    if (v.generated || !PlatAudioIsOpen()) return;
    bool hasSound = Av().av_find_best_stream(v.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    if (!hasSound) return;
    v.sound = PlatStreamOpen(gamePath);
    if (v.sound == kPlatNoStream) return;
    PlatStreamSetVolume(v.sound, volume);
    PlatStreamSetLoopCount(v.sound, 1);
    PlatStreamStart(v.sound);
}

uint16_t Pack(uint8_t r, uint8_t g, uint8_t b, PlatPixelLayout layout) {
    switch (layout) {
    case kLayout556: return uint16_t((r >> 3) << 11 | (g >> 3) << 6 | (b >> 2));
    case kLayout565: return uint16_t((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
    case kLayout655: return uint16_t((r >> 2) << 10 | (g >> 3) << 5 | (b >> 3));
    case kLayout555:
    default: return uint16_t((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
    }
}

// Size of the picture in the target: as it is when it fits, else scaled
// down to fit with its shape kept.
void FitSize(int w, int h, int maxW, int maxH, int* outW, int* outH) {
    if (w <= maxW && h <= maxH) {
        *outW = w;
        *outH = h;
        return;
    }
    if (int64_t(w) * maxH >= int64_t(h) * maxW) {
        *outW = maxW;
        *outH = std::max(1, static_cast<int>(int64_t(h) * maxW / w));
    } else {
        *outH = maxH;
        *outW = std::max(1, static_cast<int>(int64_t(w) * maxH / h));
    }
}

bool DrawFrame(PlatVideo& v, uint16_t* pixels, int pitchBytes, int width, int height, PlatPixelLayout layout) {
    const AVFrame* f = v.next;
    if (f->width <= 0 || f->height <= 0 || width <= 0 || height <= 0) return false;
    int w, h;
    FitSize(f->width, f->height, width, height, &w, &h);
    v.scaler = Av().sws_getCachedContext(v.scaler, f->width, f->height, static_cast<AVPixelFormat>(f->format), w, h,
                                    AV_PIX_FMT_RGB24, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!v.scaler) return false;
    v.rgb.resize(static_cast<size_t>(w) * h * 3);
    uint8_t* dst[4] = {v.rgb.data(), nullptr, nullptr, nullptr};
    int dstStride[4] = {w * 3, 0, 0, 0};
    if (Av().sws_scale(v.scaler, f->data, f->linesize, 0, f->height, dst, dstStride) <= 0) return false;
    uint8_t* base = reinterpret_cast<uint8_t*>(pixels);
    for (int y = 0; y < h; ++y) {
        uint16_t* row = reinterpret_cast<uint16_t*>(base + static_cast<ptrdiff_t>(y) * pitchBytes);
        const uint8_t* src = v.rgb.data() + static_cast<size_t>(y) * w * 3;
        for (int x = 0; x < w; ++x) row[x] = Pack(src[x * 3], src[x * 3 + 1], src[x * 3 + 2], layout);
    }
    return true;
}
} // namespace

void VideoAddGeneratedClip(const char* gamePath, int frames, int width, int height, int frameMs) {
    if (!gamePath) return;
    for (GeneratedClip& c : gVideoSources.clips) {
        if (c.path == gamePath) {
            c = GeneratedClip{gamePath, frames, width, height, frameMs};
            return;
        }
    }
    gVideoSources.clips.push_back(GeneratedClip{gamePath, frames, width, height, frameMs});
}

void VideoGeneratedColour(int frame, uint8_t* red, uint8_t* green, uint8_t* blue) {
    *red = static_cast<uint8_t>(frame * 40);
    *green = static_cast<uint8_t>(255 - frame * 24);
    *blue = static_cast<uint8_t>(64 + frame * 8);
}

const std::string& VideoLastPath() { return gVideoSources.lastPath; }

void VideoResetGenerated() { gVideoSources = VideoSources{}; }

PlatVideo* PlatVideoOpen(const char* gamePath, int volume) {
    if (!gamePath) return nullptr;
    gVideoSources.lastPath = gamePath;
    PlatVideo* v = new PlatVideo;
    if (const GeneratedClip* clip = FindClip(gamePath)) {
        v->generated = true;
        v->clip = *clip;
    }
    if (!LoadMediaLibrary()) {
        MixerSetLastError(std::string(gamePath) + ": " + MediaLibraryError());
        FreeVideo(v);
        return nullptr;
    }
    v->next = Av().av_frame_alloc();
    bool opened = v->next && (v->generated ? v->clip.width > 0 && v->clip.height > 0 : OpenFile(*v, gamePath));
    if (opened) FetchNext(*v);
    if (!opened || !v->haveNext) {
        if (opened) MixerSetLastError(std::string(gamePath) + ": the video holds no frames");
        FreeVideo(v);
        return nullptr;
    }
    StartSound(*v, gamePath, std::clamp(volume, 0, 127));
    v->startTicks = PlatTicks();
    return v;
}

void PlatVideoClose(PlatVideo* video) {
    if (video) FreeVideo(video);
}

bool PlatVideoMustWait(PlatVideo* video) {
    if (!video || !video->haveNext) return false;
    return int64_t(PlatTicks() - video->startTicks) < video->nextMs;
}

int PlatVideoShowFrame(PlatVideo* video, uint16_t* pixels, int pitchBytes, int width, int height,
                       PlatPixelLayout layout) {
    if (!video || !video->haveNext) return -1;
    if (pixels) DrawFrame(*video, pixels, pitchBytes, width, height, layout);
    ++video->current;
    FetchNext(*video);
    return video->haveNext ? 1 : -1;
}

int PlatVideoCurrentFrame(PlatVideo* video) { return video ? video->current : 0; }

int PlatVideoFrameCount(PlatVideo* video) {
    if (!video) return 0;
    if (video->generated) return video->clip.frames;
    return std::max(video->knownCount, video->decoded);
}

int PlatVideoWidth(PlatVideo* video) {
    if (!video) return 0;
    return video->generated ? video->clip.width : video->codec->width;
}

int PlatVideoHeight(PlatVideo* video) {
    if (!video) return 0;
    return video->generated ? video->clip.height : video->codec->height;
}
