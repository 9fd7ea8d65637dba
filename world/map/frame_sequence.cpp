#include "world/map/frame_sequence.h"

#include <algorithm>
#include <cstring>

#include "base/bytes.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/lzo.h"
#include "draw/colour_ops.h"
#include "draw/dialog_node.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/story_flags.h"

FrameSequence gFrameSequence;

namespace {

constexpr int32_t kLetterboxStart = -13;  // bars of 52 + 4 x step rows
constexpr int32_t kEndStep = 10000;
constexpr int32_t kFadeFrames = 16;
constexpr int32_t kOpenFrames = 30;
constexpr uint32_t kMaxFrameBytes = 640u * 480u * 2u * 2u;

uint16_t PaletteColour(const uint8_t* rgb) {
    const uint16_t stored = uint16_t(((rgb[0] >> 3) << 10) | ((rgb[1] >> 3) << 5) | (rgb[2] >> 3));
    return ToScreenPixel(stored);
}

// Takes the palette listed for frame n, when there is one.
void TakePalette(uint32_t n) {
    FrameSequence& s = gFrameSequence;
    ByteReader r(s.file);
    for (uint32_t i = 0; i < s.palettes; ++i) {
        r.seek(s.paletteTable + i * kSequencePaletteRecord);
        const uint32_t at = r.u32();
        const uint8_t* rgb = r.view(768);
        if (!rgb || at != n) continue;
        for (int c = 0; c < 256; ++c) s.palette[c] = PaletteColour(rgb + 3 * c);
    }
}

void ClearRows(int from, int to) {
    for (int y = std::max(0, from); y < std::min(to, int(gScreenHeight)); ++y)
        std::memset(BackPixel(0, y), 0, size_t(gScreenWidth) * 2);
}

void DrawBars(int rows) {
    if (rows <= 0) return;
    ClearRows(0, rows);
    ClearRows(kViewHeight - rows, kViewHeight);
}

void SaveBack() {
    FrameSequence& s = gFrameSequence;
    s.saved.resize(size_t(kViewWidth) * kViewHeight);
    for (int y = 0; y < kViewHeight; ++y) std::memcpy(&s.saved[size_t(y) * kViewWidth], BackPixel(0, y), kViewWidth * 2);
}

void RestoreBack() {
    FrameSequence& s = gFrameSequence;
    for (int y = 0; y < kViewHeight; ++y) std::memcpy(BackPixel(0, y), &s.saved[size_t(y) * kViewWidth], kViewWidth * 2);
}

bool Held() {
    return gDialogList != nullptr || !gParticleLists.empty() || !gRoleHeads.empty() ||
           (gFrameSequence.mode & kSequenceHold);
}

} // namespace

bool StartFrameSequence(const uint8_t* data, size_t size) {
    StopFrameSequence();
    FrameSequence& s = gFrameSequence;
    ByteReader r(data, size);
    const uint32_t magic = r.u32();
    r.u16();
    s.depth = r.u16();
    r.u16();
    s.height = r.u16();
    s.frames = r.u32();
    s.mode = r.u32();
    s.frameTable = r.u32();
    s.palettes = r.u32();
    s.paletteTable = r.u32();
    const uint64_t tableEnd = uint64_t(s.frameTable) + uint64_t(s.frames) * kSequenceFrameRecord;
    const uint64_t paletteEnd = uint64_t(s.paletteTable) + uint64_t(s.palettes) * kSequencePaletteRecord;
    if (!r.ok() || magic != kSequenceMagic || (s.depth != 8 && s.depth != 16) || s.height == 0 ||
        s.height > uint32_t(kSequenceMaxHeight) || s.frames == 0 || tableEnd > size || paletteEnd > size) {
        s = FrameSequence{};
        return false;
    }
    s.file.assign(data, data + size);
    s.step = kLetterboxStart;
    s.running = true;
    gGameMode |= kModeFrameSequence;
    return true;
}

bool OpenFrameSequence(const char* path) {
    cFile f;
    if (!f.Open(path, kOpenExisting, kGenericRead)) return false;
    std::vector<uint8_t> bytes(f.GetSize());
    if (bytes.empty() || !f.ReadExact(bytes.data(), uint32_t(bytes.size()))) return false;
    return StartFrameSequence(bytes.data(), bytes.size());
}

void StopFrameSequence() {
    const bool was = gFrameSequence.running;
    gFrameSequence = FrameSequence{};
    if (was) {
        gGameMode &= ~kModeFrameSequence;
        SetFrameInterval(kFrameMs);
    }
}

bool FrameSequenceRuns() { return gFrameSequence.running && !gFrameSequence.inScene; }

bool DrawSequenceFrame(uint32_t n) {
    FrameSequence& s = gFrameSequence;
    if (n >= s.frames || !gBackPixels) return false;
    ByteReader t(s.file);
    t.seek(s.frameTable + n * kSequenceFrameRecord);
    const uint32_t at = t.u32(), packed = t.u32(), unpacked = t.u32();
    if (!t.ok() || unpacked == 0 || unpacked > kMaxFrameBytes || packed > LzoPackedBound(unpacked) ||
        unpacked > LzoUnpackedBound(packed) || uint64_t(at) + packed > s.file.size())
        return false;
    s.unpacked.resize(unpacked);
    uint32_t length = unpacked;
    if (DecompressBuffer(s.file.data() + at, s.unpacked.data(), packed, &length) != kLzoOk) return false;
    const uint32_t bpp = s.depth / 8;
    const uint32_t top = (kViewHeight - s.height) / 2;
    const uint64_t area = uint64_t(s.height) * kViewWidth * bpp;
    ByteReader r(s.unpacked.data(), length);
    while (r.remaining() >= kSequenceSpanHead) {
        const uint32_t spanSize = r.u32(), offset = r.u32();
        if (spanSize < kSequenceSpanHead || spanSize - kSequenceSpanHead > r.remaining()) return false;
        const uint32_t bytes = spanSize - kSequenceSpanHead;
        const uint8_t* src = r.view(bytes);
        // A span must lie inside the letterbox area and start on a pixel.
        if (offset % bpp != 0 || uint64_t(offset) + bytes > area) return false;
        uint32_t pixel = offset / bpp;
        for (uint32_t k = 0; k < bytes / bpp; ++k, ++pixel) {
            const uint32_t y = top + pixel / kViewWidth, x = pixel % kViewWidth;
            uint16_t v;
            if (bpp == 2) v = ToScreenPixel(uint16_t(src[2 * k] | (src[2 * k + 1] << 8)));
            else v = s.palette[src[k]];
            *BackPixel(int32_t(x), int32_t(y)) = v;
        }
    }
    return true;
}

void PlayFrameSequence() {
    FrameSequence& s = gFrameSequence;
    if (!s.running || !gBackPixels) return;
    if (Held()) {
        if (s.saved.empty()) SaveBack();
        RestoreBack();
        return;
    }
    s.saved.clear();
    if (s.step < 0) {
        // The letterbox closes in over the frame as it is.
        DrawBars(52 + 4 * s.step);
        ++s.step;
        return;
    }
    if (s.step < kEndStep) {
        if (s.tick++ % 2 == 0) {
            if (s.frame < s.frames) {
                TakePalette(s.frame);
                if (!DrawSequenceFrame(s.frame)) s.frame = s.frames;  // a broken frame ends the sequence
                ++s.frame;
            }
        }
        DrawBars(52);
        if (s.frame >= s.frames) s.step = kEndStep;
        return;
    }
    if (s.mode & kSequenceFade) {
        const int32_t k = kEndStep - s.step;
        if (k < kFadeFrames) {
            for (int y = 0; y < kViewHeight; ++y) AddRgbToPixels(BackPixel(0, y), kViewWidth, -2 * (k + 1), -2 * (k + 1), -2 * (k + 1));
            --s.step;
            return;
        }
    } else if (s.closing < kOpenFrames) {
        // The map again under opening bars; the nested scene must not come
        // back here.
        s.inScene = true;
        gViewFlags |= kViewMapChange;
        RenderScene();
        gViewFlags &= ~kViewMapChange;
        s.inScene = false;
        DrawBars(kOpenFrames - s.closing);
        ++s.closing;
        return;
    }
    StopFrameSequence();
}
