// Sound decoding shared by both back-ends: any file the media library reads
// (RIFF wave, mp3, the sound track of a video) comes out as interleaved
// 16-bit stereo at the mixer's rate.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVInputFormat;
struct AVCodecContext;
struct AVIOContext;
struct AVPacket;
struct AVFrame;
struct SwrContext;

class cAudioDecoder {
public:
    cAudioDecoder() = default;
    ~cAudioDecoder() { Close(); }
    cAudioDecoder(const cAudioDecoder&) = delete;
    cAudioDecoder& operator=(const cAudioDecoder&) = delete;

    // Host path of a file; false when it does not open or has no sound.
    bool OpenFile(const char* hostPath, int rate);
    // Bytes in memory (kept by the caller until Close); formatHint names the
    // container when probing should not guess ("mp3"), or null.
    bool OpenMemory(const void* data, size_t size, const char* formatHint, int rate);
    // Up to frames stereo frames into out. Returns the frames written, 0 at
    // the end, -1 when the data is broken.
    int Read(int16_t* out, int frames);
    // Back to the start, for looping.
    bool Rewind();
    void Close();
    const std::string& Error() const { return error_; }

private:
    bool OpenContext(const char* url, const AVInputFormat* formatHint);
    int DecodeMore();
    bool Fail(const char* what, int code);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int streamIndex_ = -1;
    int rate_ = 44100;
    bool ended_ = false;
    bool draining_ = false; // the file is read to its end; the decoder is emptying
    // Converted frames not yet handed out.
    std::vector<int16_t> pending_;
    size_t pendingPos_ = 0;
    // Source bytes when decoding from memory.
    const uint8_t* memData_ = nullptr;
    size_t memSize_ = 0;
    size_t memPos_ = 0;
    std::string error_;

    friend int DecodeMemoryRead(void* opaque, uint8_t* buf, int size);
    friend int64_t DecodeMemorySeek(void* opaque, int64_t offset, int whence);
};

// Opens a media file for libavformat as a local file only, whatever its name
// looks like ("pipe:0", "http://...", "subfile,..."), and lets the file's own
// contents name nothing but local files either. A null hostPath opens the
// context's own I/O (sounds in memory). libavformat's result code.
int OpenMediaInput(AVFormatContext** format, const char* hostPath, const AVInputFormat* formatHint);

// Decodes a whole sound held in memory. False (with the reason) when it does
// not decode or holds no samples.
bool DecodeWholeSound(const void* data, size_t size, const char* formatHint, int rate,
                      std::vector<int16_t>* out, std::string* error);
