#include "draw/text_font.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/edition.h"
#include "base/text_convert.h"
#include "draw/display.h"
#include "draw/pixel_format.h"
#include "platform/plat_font.h"

cTextFont gFontLarge;
cTextFont gFontMedium;
cTextFont gFontSmall;

namespace {

// The game's screen, the target before a display is known.
constexpr int kDefaultTargetWidth = 640;
constexpr int kDefaultTargetHeight = 480;
constexpr int kDefaultCell = 16;

// One pixel a set glyph bit writes, relative to the bit.
struct Dot {
    int dx, dy;
    bool shadow;
};

// The pixels every set bit writes in one walk over the glyph. A bit is drawn
// only when all of them fall inside the clip; the dots' reach around the bit
// is worked out with the table, not on every character.
struct StylePass {
    const Dot* dots;
    int count;
    int minDx, maxDx, minDy, maxDy;
};

constexpr Dot kPlainDots[] = {{0, 0, false}};
constexpr Dot kShadowedDots[] = {{0, 0, false}, {0, 1, true}, {1, 1, true}};
constexpr Dot kBoldShadowedDots[] = {{0, 0, false}, {1, 0, false}, {1, 1, true}, {2, 1, true}};
constexpr Dot kOutlineDots[] = {{0, -1, true}, {-1, 0, true}, {0, 0, true}, {-1, 1, true}, {0, 1, true}, {1, 1, true}};
constexpr Dot kBoldOutlineDots[] = {{0, -1, true}, {-1, 0, true}, {2, 0, true}, {-1, 1, true},
                                    {0, 1, true},  {1, 1, true},  {2, 1, true}};
constexpr Dot kBoldDots[] = {{0, 0, false}, {1, 0, false}};

template <int N>
constexpr StylePass Pass(const Dot (&dots)[N]) {
    StylePass pass{dots, N, 0, 0, 0, 0};
    for (const Dot& d : dots) {
        pass.minDx = std::min(pass.minDx, d.dx);
        pass.maxDx = std::max(pass.maxDx, d.dx);
        pass.minDy = std::min(pass.minDy, d.dy);
        pass.maxDy = std::max(pass.maxDy, d.dy);
    }
    return pass;
}

// The walks of a style, outlines first so the face is drawn on top.
struct Style {
    StylePass passes[2];
    int passCount;
};

// Styles in the order of the mode bits 0x01 .. 0x10.
constexpr Style kStyles[] = {
    {{Pass(kPlainDots), {}}, 1},
    {{Pass(kShadowedDots), {}}, 1},
    {{Pass(kBoldShadowedDots), {}}, 1},
    {{Pass(kOutlineDots), Pass(kPlainDots)}, 2},
    {{Pass(kBoldOutlineDots), Pass(kBoldDots)}, 2},
};

const Style* StyleOf(uint32_t mode) {
    for (int i = 0; i < 5; ++i)
        if (mode & (1u << i)) return &kStyles[i];
    return nullptr;
}

// Moves the colour one step in its blue field, stopping at the field's ends
// so the ramp never carries into green or borrows from it.
uint16_t RampStep(uint16_t colour, bool down) {
    uint16_t blue = static_cast<uint16_t>(gRgbMasks.blue ? gRgbMasks.blue : 0x001F);
    if (down) return (colour & blue) ? static_cast<uint16_t>(colour - 1) : colour;
    return (colour & blue) != blue ? static_cast<uint16_t>(colour + 1) : colour;
}

}  // namespace

cTextFont::cTextFont() : glyphCodes_(), glyphBitmaps_(nullptr), glyphCount_(0), font_(nullptr) { Reset(); }

cTextFont::~cTextFont() { ReleaseTextFont(); }

void cTextFont::Reset() {
    ReleaseTextFont();
    targetWidth_ = kDefaultTargetWidth;
    targetHeight_ = kDefaultTargetHeight;
    glyphRowBytes_ = (kDefaultCell + 7) / 8;
    cellWidth_ = cellHeight_ = textHeight_ = kDefaultCell;
    shadowColour_ = 0;
    backColour_ = kNoTextBox;
    clipLeft_ = clipTop_ = 0;
    clipWidth_ = kDefaultTargetWidth;
    clipHeight_ = kDefaultTargetHeight;
}

void cTextFont::Init(const cDDraw* display) {
    if (display && display->IsOpen()) {
        uint32_t pitch = 0, height = 0;
        display->GetPrimarySize(&pitch, &height);
        if (pitch >= 2 && height > 0) SetTarget(static_cast<int>(pitch / 2), static_cast<int>(height));
    }
    cellWidth_ = cellHeight_ = kDefaultCell;
    SetFont(gEdition.fontFace, cellWidth_);
    textHeight_ = cellWidth_;
    backColour_ = kNoTextBox;
    shadowColour_ = 0;
}

void cTextFont::SetFont(const char* face, int size) {
    // The platform picks the system's Ming/Song face for the edition's
    // character set; the face name the game asks for is not a host name.
    (void)face;
    size = std::clamp(size, 1, kMaxFontSize);
    if (font_) PlatFontClose(font_);
    font_ = PlatFontOpen(size, gEdition.fontCharset);

    int rowBytes = (size + 7) / 8;
    uint8_t* bitmaps = new (std::nothrow) uint8_t[static_cast<size_t>(kGlyphSlots) * size * rowBytes];
    delete[] glyphBitmaps_;
    glyphBitmaps_ = bitmaps;
    glyphCount_ = 0;
    if (!bitmaps) return;  // no cache: draws nothing, the cell stays as it was
    std::memset(bitmaps, 0, static_cast<size_t>(kGlyphSlots) * size * rowBytes);
    cellWidth_ = cellHeight_ = size;
    glyphRowBytes_ = rowBytes;
    textHeight_ = size;
}

void cTextFont::SetTarget(int width, int height) {
    targetWidth_ = std::max(width, 0);
    targetHeight_ = std::max(height, 0);
    SetTextClip(0, 0, targetWidth_, targetHeight_);
}

void cTextFont::SetTextClip(int left, int top, int width, int height) {
    clipLeft_ = left;
    clipTop_ = top;
    clipWidth_ = width;
    clipHeight_ = height;
}

void cTextFont::ReleaseTextFont() {
    PlatFontClose(font_);
    font_ = nullptr;
    delete[] glyphBitmaps_;
    glyphBitmaps_ = nullptr;
    glyphCount_ = 0;
}

// The clip as set, cut to the target so no clip lets a draw leave it.
cTextFont::Clip cTextFont::EffectiveClip() const {
    long long right = static_cast<long long>(clipLeft_) + clipWidth_ - 1;
    long long bottom = static_cast<long long>(clipTop_) + clipHeight_ - 1;
    Clip c;
    c.left = std::max(clipLeft_, 0);
    c.top = std::max(clipTop_, 0);
    c.right = static_cast<int>(std::min<long long>(right, targetWidth_ - 1));
    c.bottom = static_cast<int>(std::min<long long>(bottom, targetHeight_ - 1));
    return c;
}

uint8_t* cTextFont::Slot(int index) const {
    return glyphBitmaps_ + static_cast<size_t>(index) * cellHeight_ * glyphRowBytes_;
}

// The cache index of code, rendering it into a new slot at its sorted place
// when it is missing. The count is raised by the caller after the draw.
int cTextFont::FindOrAddGlyph(uint16_t code, bool* added) {
    int lo = 0, hi = glyphCount_;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (glyphCodes_[mid] < code)
            lo = mid + 1;
        else
            hi = mid;
    }
    *added = false;
    if (lo < glyphCount_ && glyphCodes_[lo] == code) return lo;

    size_t slotBytes = static_cast<size_t>(cellHeight_) * glyphRowBytes_;
    int moving = glyphCount_ - lo;
    std::memmove(&glyphCodes_[lo + 1], &glyphCodes_[lo], moving * sizeof glyphCodes_[0]);
    std::memmove(Slot(lo + 1), Slot(lo), moving * slotBytes);
    glyphCodes_[lo] = code;
    std::memset(Slot(lo), 0, slotBytes);
    if (font_) PlatFontRender(font_, code, Slot(lo), cellWidth_, cellHeight_, glyphRowBytes_, nullptr);
    *added = true;
    return lo;
}

// The cache holds at most kGlyphKeep codes: past that the highest goes.
void cTextFont::DropOverflow() {
    if (glyphCount_ <= kGlyphKeep) return;
    glyphCount_ = kGlyphKeep;
    std::memset(Slot(kGlyphKeep), 0, static_cast<size_t>(cellHeight_) * glyphRowBytes_);
}

void cTextFont::FillBox(uint16_t* pixels, long long x, long long y, long long width, const Clip& clip) const {
    long long left = std::max<long long>(x, clip.left);
    long long right = std::min<long long>(x + width - 1, clip.right);
    long long top = std::max<long long>(y, clip.top);
    long long bottom = std::min<long long>(y + cellHeight_ - 1, clip.bottom);
    for (long long r = top; r <= bottom; ++r) {
        uint16_t* row = pixels + r * targetWidth_;
        for (long long c = left; c <= right; ++c) row[c] = backColour_;
    }
}

void cTextFont::DrawGlyph(uint16_t* pixels, long long x, long long y, const uint8_t* glyph, uint16_t colour,
                          uint32_t mode, const Clip& clip) const {
    const Style* style = StyleOf(mode);
    if (!style) return;
    bool ramp = (mode & (kTextRampUp | kTextRampDown)) != 0;
    bool down = (mode & kTextRampDown) != 0;
    for (int p = 0; p < style->passCount; ++p) {
        const StylePass& pass = style->passes[p];
        uint16_t rowColour = colour;
        for (int row = 0; row < cellHeight_; ++row, rowColour = ramp ? RampStep(rowColour, down) : rowColour) {
            long long r = y + row;
            if (r + pass.minDy < clip.top || r + pass.maxDy > clip.bottom) continue;
            const uint8_t* bits = glyph + row * glyphRowBytes_;
            for (int col = 0; col < cellWidth_; ++col) {
                if (!(bits[col >> 3] & (0x80 >> (col & 7)))) continue;
                long long c = x + col;
                if (c + pass.minDx < clip.left || c + pass.maxDx > clip.right) continue;
                for (int d = 0; d < pass.count; ++d) {
                    const Dot& dot = pass.dots[d];
                    pixels[(r + dot.dy) * targetWidth_ + c + dot.dx] = dot.shadow ? shadowColour_ : rowColour;
                }
            }
        }
    }
}

int cTextFont::DrawTextStr(uint16_t* pixels, int x, int y, const char* text, uint16_t colour, uint32_t mode) {
    if (!pixels || !text || !glyphBitmaps_) return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
    Clip clip = EffectiveClip();
    long long pen = 0;
    int i = 0;
    while (bytes[i]) {
        uint16_t code;
        int half, length;
        if (bytes[i] < 0x80) {
            code = bytes[i];
            half = textHeight_ / 2;
            length = 1;
        } else {
            // A lead byte with nothing after it ends the text: its pair would
            // be the terminator.
            if (!bytes[i + 1]) break;
            code = static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8));
            if (gEdition.convertText) code = Big5ToGb(code);
            half = 0;
            length = 2;
        }
        const uint8_t* next = bytes + i + length;
        bool last = !next[0] || (next[0] >= 0x80 && !next[1]);

        bool added = false;
        int slot = FindOrAddGlyph(code, &added);
        if (backColour_ != kNoTextBox) FillBox(pixels, x + pen, y, last ? cellWidth_ - half + 2 : textHeight_, clip);
        DrawGlyph(pixels, x + pen, y, Slot(slot), colour, mode, clip);
        if (added) {
            ++glyphCount_;
            DropOverflow();
        }
        pen += textHeight_ - half;
        i += length;
    }
    if (gTextDrawLog && i > 0) {
        TextDrawn d;
        d.target = pixels;
        d.targetWidth = targetWidth_;
        d.targetHeight = targetHeight_;
        d.left = x;
        d.top = y;
        d.right = static_cast<int>(x + pen);
        d.bottom = y + textHeight_;
        d.clipLeft = clip.left;
        d.clipTop = clip.top;
        d.clipRight = clip.right;
        d.clipBottom = clip.bottom;
        d.text.assign(text, size_t(i));
        gTextDrawLog->push_back(std::move(d));
    }
    return i;
}

std::vector<TextDrawn>* gTextDrawLog = nullptr;

void ResetTextFonts() {
    gFontLarge.Reset();
    gFontMedium.Reset();
    gFontSmall.Reset();
}
