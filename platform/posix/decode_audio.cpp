// Sound decoding through the media library: demux, decode, convert to
// interleaved 16-bit stereo at the mixer's rate.
#include "platform/posix/decode_audio.h"

#include <algorithm>
#include <cstring>

#include "platform/posix/media_library.h"

namespace {
constexpr int kIoBufferSize = 4096;
// A run of broken packets this long means the data is not sound at all.
constexpr int kMaxBadPackets = 64;
// No real sound is sampled this slowly; a broken head that claims it would
// turn each source sample into thousands of output frames.
constexpr int kMinSourceRate = 1000;
// Nor this fast: the mixer plays at most 48 kHz, and a head claiming hundreds
// of megahertz would make the converter take seconds and gigabytes.
constexpr int kMaxSourceRate = 384000;
// Longest whole sound held in memory, so a broken file cannot take all of it.
constexpr int kMaxWholeSoundSeconds = 600;

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    Av().av_strerror(code, text, sizeof text);
    return text;
}
} // namespace

int DecodeMemoryRead(void* opaque, uint8_t* buf, int size) {
    cAudioDecoder* d = static_cast<cAudioDecoder*>(opaque);
    size_t left = d->memSize_ - d->memPos_;
    if (left == 0) return AVERROR_EOF;
    size_t n = std::min(left, static_cast<size_t>(size));
    std::memcpy(buf, d->memData_ + d->memPos_, n);
    d->memPos_ += n;
    return static_cast<int>(n);
}

int64_t DecodeMemorySeek(void* opaque, int64_t offset, int whence) {
    cAudioDecoder* d = static_cast<cAudioDecoder*>(opaque);
    int64_t size = static_cast<int64_t>(d->memSize_);
    int64_t base = 0;
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return size;
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<int64_t>(d->memPos_); break;
    case SEEK_END: base = size; break;
    default: return -1;
    }
    int64_t pos = base + offset;
    if (pos < 0 || pos > size) return -1;
    d->memPos_ = static_cast<size_t>(pos);
    return pos;
}

int OpenMediaInput(AVFormatContext** format, const char* hostPath, const AVInputFormat* formatHint) {
    if (!LoadMediaLibrary()) return AVERROR(ENOSYS);
    AVDictionary* options = nullptr;
    Av().av_dict_set(&options, "protocol_whitelist", "file", 0);
    // The file protocol's own prefix: the rest of the name is taken as it is.
    std::string url = hostPath ? std::string("file:") + hostPath : std::string();
    int rc = Av().avformat_open_input(format, hostPath ? url.c_str() : nullptr, formatHint, &options);
    Av().av_dict_free(&options);
    return rc;
}

bool cAudioDecoder::Fail(const char* what, int code) {
    error_ = what;
    if (code < 0) error_ += ": " + AvErrorText(code);
    Close();
    return false;
}

bool cAudioDecoder::OpenFile(const char* hostPath, int rate) {
    Close();
    error_.clear();
    rate_ = rate;
    if (!hostPath || !*hostPath) return Fail("no file name", 0);
    if (!LoadMediaLibrary()) return Fail(MediaLibraryError().c_str(), 0);
    return OpenContext(hostPath, nullptr);
}

bool cAudioDecoder::OpenMemory(const void* data, size_t size, const char* formatHint, int rate) {
    Close();
    error_.clear();
    rate_ = rate;
    if (!data || size == 0) return Fail("no sound data", 0);
    if (!LoadMediaLibrary()) return Fail(MediaLibraryError().c_str(), 0);
    memData_ = static_cast<const uint8_t*>(data);
    memSize_ = size;
    memPos_ = 0;
    uint8_t* buffer = static_cast<uint8_t*>(Av().av_malloc(kIoBufferSize));
    if (!buffer) return Fail("out of memory", 0);
    io_ = Av().avio_alloc_context(buffer, kIoBufferSize, 0, this, DecodeMemoryRead, nullptr, DecodeMemorySeek);
    if (!io_) {
        Av().av_free(buffer);
        return Fail("out of memory", 0);
    }
    format_ = Av().avformat_alloc_context();
    if (!format_) return Fail("out of memory", 0);
    format_->pb = io_;
    const AVInputFormat* hint = formatHint ? Av().av_find_input_format(formatHint) : nullptr;
    return OpenContext(nullptr, hint);
}

bool cAudioDecoder::OpenContext(const char* url, const AVInputFormat* formatHint) {
    // The library's own messages would go to the terminal; failures reach
    // the caller through Error() instead.
    Av().av_log_set_level(AV_LOG_QUIET);
    int rc = OpenMediaInput(&format_, url, formatHint);
    if (rc < 0) return Fail("cannot open", rc);
    rc = Av().avformat_find_stream_info(format_, nullptr);
    if (rc < 0) return Fail("cannot read stream facts", rc);
    const AVCodec* codec = nullptr;
    streamIndex_ = Av().av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (streamIndex_ < 0 || !codec) return Fail("no sound in the file", streamIndex_);
    codec_ = Av().avcodec_alloc_context3(codec);
    if (!codec_) return Fail("out of memory", 0);
    rc = Av().avcodec_parameters_to_context(codec_, format_->streams[streamIndex_]->codecpar);
    if (rc < 0) return Fail("bad sound parameters", rc);
    rc = Av().avcodec_open2(codec_, codec, nullptr);
    if (rc < 0) return Fail("cannot open the sound decoder", rc);
    if (codec_->sample_rate < kMinSourceRate || codec_->sample_rate > kMaxSourceRate) return Fail("sound rate out of range", 0);
    packet_ = Av().av_packet_alloc();
    frame_ = Av().av_frame_alloc();
    if (!packet_ || !frame_) return Fail("out of memory", 0);
    // The copy below first clears its destination, so it must start cleared.
    AVChannelLayout in = {};
    if (codec_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || codec_->ch_layout.nb_channels <= 0) {
        Av().av_channel_layout_default(&in, codec_->ch_layout.nb_channels > 0 ? codec_->ch_layout.nb_channels : 1);
    } else {
        Av().av_channel_layout_copy(&in, &codec_->ch_layout);
    }
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    rc = Av().swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16, rate_, &in, codec_->sample_fmt,
                             codec_->sample_rate, 0, nullptr);
    Av().av_channel_layout_uninit(&in);
    if (rc < 0 || !resampler_) return Fail("cannot convert the sound", rc);
    rc = Av().swr_init(resampler_);
    if (rc < 0) return Fail("cannot convert the sound", rc);
    return true;
}

// Converts one decoded frame and appends it to the pending samples.
static bool AppendConverted(SwrContext* resampler, const AVFrame* frame, std::vector<int16_t>* pending) {
    int room = Av().swr_get_out_samples(resampler, frame ? frame->nb_samples : 0);
    if (room <= 0) return true;
    size_t old = pending->size();
    pending->resize(old + static_cast<size_t>(room) * 2);
    uint8_t* out[1] = {reinterpret_cast<uint8_t*>(pending->data() + old)};
    int got = Av().swr_convert(resampler, out, room, frame ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                          frame ? frame->nb_samples : 0);
    if (got < 0) {
        pending->resize(old);
        return false;
    }
    pending->resize(old + static_cast<size_t>(got) * 2);
    return true;
}

// One step of decoding: 1 when samples were added, 0 at the end, -1 on error.
int cAudioDecoder::DecodeMore() {
    int badPackets = 0;
    for (;;) {
        int rc = Av().avcodec_receive_frame(codec_, frame_);
        if (rc == 0) {
            bool ok = AppendConverted(resampler_, frame_, &pending_);
            Av().av_frame_unref(frame_);
            if (!ok) return error_ = "cannot convert the sound", -1;
            return 1;
        }
        if (rc == AVERROR_EOF) {
            size_t before = pending_.size();
            if (!AppendConverted(resampler_, nullptr, &pending_)) return -1;
            if (pending_.size() > before) return 1;
            ended_ = true;
            return 0;
        }
        if (rc != AVERROR(EAGAIN)) return error_ = "sound decoding failed: " + AvErrorText(rc), -1;
        if (draining_) {
            // Nothing more will come out of an emptied decoder.
            ended_ = true;
            return 0;
        }
        rc = Av().av_read_frame(format_, packet_);
        if (rc == AVERROR_EOF) {
            draining_ = true;
            Av().avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (rc < 0) return error_ = "sound file read failed: " + AvErrorText(rc), -1;
        if (packet_->stream_index == streamIndex_) {
            rc = Av().avcodec_send_packet(codec_, packet_);
            // A broken packet is skipped, as players do; a long run of them
            // means the data is not sound.
            if (rc == AVERROR_INVALIDDATA && ++badPackets < kMaxBadPackets) rc = 0;
            if (rc < 0 && rc != AVERROR(EAGAIN)) {
                Av().av_packet_unref(packet_);
                return error_ = "sound decoding failed: " + AvErrorText(rc), -1;
            }
        }
        Av().av_packet_unref(packet_);
    }
}

int cAudioDecoder::Read(int16_t* out, int frames) {
    if (!codec_ || frames <= 0) return codec_ ? 0 : -1;
    size_t want = static_cast<size_t>(frames) * 2;
    while (pending_.size() - pendingPos_ < want && !ended_) {
        int rc = DecodeMore();
        if (rc < 0) return -1;
        if (rc == 0) break;
    }
    size_t have = std::min(want, pending_.size() - pendingPos_);
    // A sound that decodes to nothing has no pending buffer at all.
    if (have) std::memcpy(out, pending_.data() + pendingPos_, have * sizeof(int16_t));
    pendingPos_ += have;
    if (pendingPos_ == pending_.size()) {
        pending_.clear();
        pendingPos_ = 0;
    } else if (pendingPos_ > 65536) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(pendingPos_));
        pendingPos_ = 0;
    }
    return static_cast<int>(have / 2);
}

bool cAudioDecoder::Rewind() {
    if (!codec_) return false;
    int rc = Av().av_seek_frame(format_, streamIndex_, format_->streams[streamIndex_]->start_time == AV_NOPTS_VALUE
                                                     ? 0
                                                     : format_->streams[streamIndex_]->start_time,
                           AVSEEK_FLAG_BACKWARD);
    if (rc < 0) rc = Av().avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0);
    if (rc < 0) return error_ = "cannot go back to the start", false;
    Av().avcodec_flush_buffers(codec_);
    // Drop what the converter still holds from the end of the last pass.
    Av().swr_close(resampler_);
    if (Av().swr_init(resampler_) < 0) return error_ = "cannot convert the sound", false;
    pending_.clear();
    pendingPos_ = 0;
    ended_ = false;
    draining_ = false;
    return true;
}

void cAudioDecoder::Close() {
    if (resampler_) Av().swr_free(&resampler_);
    if (frame_) Av().av_frame_free(&frame_);
    if (packet_) Av().av_packet_free(&packet_);
    if (codec_) Av().avcodec_free_context(&codec_);
    if (format_) Av().avformat_close_input(&format_);
    if (io_) {
        Av().av_freep(&io_->buffer);
        Av().avio_context_free(&io_);
    }
    streamIndex_ = -1;
    ended_ = false;
    draining_ = false;
    pending_.clear();
    pendingPos_ = 0;
    memData_ = nullptr;
    memSize_ = memPos_ = 0;
}

bool DecodeWholeSound(const void* data, size_t size, const char* formatHint, int rate,
                      std::vector<int16_t>* out, std::string* error) {
    cAudioDecoder decoder;
    out->clear();
    if (!decoder.OpenMemory(data, size, formatHint, rate)) {
        if (error) *error = decoder.Error();
        return false;
    }
    int16_t chunk[4096 * 2];
    for (;;) {
        int got = decoder.Read(chunk, 4096);
        if (got < 0) {
            if (error) *error = decoder.Error();
            return false;
        }
        if (got == 0) break;
        if (out->size() / 2 + size_t(got) > size_t(rate) * kMaxWholeSoundSeconds) {
            if (error) *error = "the sound is too long";
            return false;
        }
        out->insert(out->end(), chunk, chunk + got * 2);
    }
    if (out->empty()) {
        if (error) *error = "the sound holds no samples";
        return false;
    }
    return true;
}
