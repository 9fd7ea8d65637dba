#include "shell/launcher_art.h"

#include "base/bytes.h"
#include "shell/launcher.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

const char* const kZoneLabels[5] = {"CONTINUE", "NEW GAME", "WEB PAGE", "README", "QUIT"};

namespace {

// ---- The bitmap font: 5 columns by 7 rows, bit 4 the leftmost column. ----
struct Glyph {
    char c;
    uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kGlyphs) {
        if (g.c == c) return &g;
    }
    return nullptr;
}

constexpr uint16_t Rgb5(int r, int g, int b) {
    return uint16_t((std::clamp(r, 0, 31) << 10) | (std::clamp(g, 0, 31) << 5) | std::clamp(b, 0, 31));
}

// A 5-bit channel widened to the mask's width and placed at its shift.
uint16_t PlaceChannel(uint32_t value5, uint16_t mask) {
    if (mask == 0) return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    uint32_t v = bits >= 5 ? (value5 << (bits - 5)) | (value5 >> (10 - bits)) : value5 >> (5 - bits);
    return uint16_t((v << shift) & mask);
}

void Fill(LauncherPicture* p, int width, int height, uint16_t colour) {
    p->width = width;
    p->height = height;
    p->pixels.assign(size_t(width) * height, colour);
}

void FillRect(LauncherPicture* p, int x, int y, int w, int h, uint16_t colour) {
    for (int row = std::max(y, 0); row < std::min(y + h, p->height); ++row) {
        for (int col = std::max(x, 0); col < std::min(x + w, p->width); ++col) p->pixels[size_t(row) * p->width + col] = colour;
    }
}

void FrameRect(LauncherPicture* p, int x, int y, int w, int h, uint16_t colour) {
    FillRect(p, x, y, w, 1, colour);
    FillRect(p, x, y + h - 1, w, 1, colour);
    FillRect(p, x, y, 1, h, colour);
    FillRect(p, x + w - 1, y, 1, h, colour);
}

void Label(LauncherPicture* p, int x, int y, int w, int h, const char* text, int scale, uint16_t colour) {
    int tx = x + (w - BitmapTextWidth(text, scale)) / 2;
    int ty = y + (h - 7 * scale) / 2;
    DrawBitmapText(p->pixels.data(), p->width, p->height, tx, ty, text, scale, colour);
}

// A button face: a vertical ramp between two colours, a light and a dark
// edge, the label with a drop shadow.
void Button(LauncherPicture* p, int x, int y, const char* label, bool lit) {
    for (int row = 0; row < kZoneHeight; ++row) {
        int t = row * 31 / (kZoneHeight - 1);
        uint16_t c = lit ? Rgb5(24 - t / 4, 18 - t / 5, 6 + t / 8) : Rgb5(5 + t / 10, 6 + t / 10, 12 - t / 8);
        FillRect(p, x, y + row, kZoneWidth, 1, c);
    }
    FrameRect(p, x, y, kZoneWidth, kZoneHeight, lit ? Rgb5(31, 30, 20) : Rgb5(12, 13, 20));
    FrameRect(p, x + 1, y + 1, kZoneWidth - 2, kZoneHeight - 2, lit ? Rgb5(20, 12, 2) : Rgb5(3, 3, 8));
    Label(p, x + 1, y + 1, kZoneWidth, kZoneHeight, label, 2, Rgb5(0, 0, 0));
    Label(p, x, y, kZoneWidth, kZoneHeight, label, 2, lit ? Rgb5(31, 31, 28) : Rgb5(20, 21, 26));
}

void MakeBackground(LauncherPicture* p) {
    Fill(p, kLauncherWidth, kLauncherHeight, 0);
    // Night sky: deep blue at the top to violet at the horizon.
    for (int y = 0; y < kLauncherHeight; ++y) {
        int t = y * 31 / (kLauncherHeight - 1);
        FillRect(p, 0, y, kLauncherWidth, 1, Rgb5(2 + t / 3, 2 + t / 6, 9 + t / 4));
    }
    // Stars from a fixed sequence, so the picture is the same every run.
    uint32_t seed = 0x2545F491u;
    for (int i = 0; i < 140; ++i) {
        seed = seed * 1664525u + 1013904223u;
        int x = int(seed >> 8) % kLauncherWidth;
        seed = seed * 1664525u + 1013904223u;
        int y = int(seed >> 8) % 280;
        int level = 18 + int(seed >> 28);
        FillRect(p, x, y, 1, 1, Rgb5(level, level, level));
    }
    // A moon, and hills against the sky.
    for (int y = -30; y <= 30; ++y) {
        for (int x = -30; x <= 30; ++x) {
            if (x * x + y * y <= 900) FillRect(p, 520 + x, 80 + y, 1, 1, Rgb5(30, 29, 22 - (x + y + 60) / 12));
        }
    }
    for (int x = 0; x < kLauncherWidth; ++x) {
        double a = std::sin(x / 90.0) * 22 + std::sin(x / 37.0) * 9;
        int top = 300 + int(a);
        FillRect(p, x, top, 1, kLauncherHeight - top, Rgb5(2, 5 + (x / 40) % 2, 4));
    }
    // The title, with a shadow.
    const char* title = "KYV3";
    int scale = 12;
    int tx = (kLauncherWidth - BitmapTextWidth(title, scale)) / 2;
    DrawBitmapText(p->pixels.data(), p->width, p->height, tx + 5, 65, title, scale, Rgb5(2, 1, 6));
    DrawBitmapText(p->pixels.data(), p->width, p->height, tx, 60, title, scale, Rgb5(30, 24, 8));
    // The five buttons unlit, where the launcher's zones are; the lit
    // pictures are drawn over them.
    for (int z = 0; z < kZoneCount; ++z) Button(p, kZonePlaces[z].left, kZonePlaces[z].top, kZoneLabels[z], false);
}

void MakePointer(LauncherPicture* p) {
    // An arrow: a white body in a black outline.
    static const char* const kRows[kPointerHeight] = {
        "X           ", "XX          ", "X.X         ", "X..X        ", "X...X       ", "X....X      ",
        "X.....X     ", "X......X    ", "X.......X   ", "X........X  ", "X.........X ", "X......XXXXX",
        "X...X..X    ", "X..XX..X    ", "X.X  X..X   ", "XX   X..X   ", "X     X..X  ", "      X..X  ",
        "       XX   ",
    };
    Fill(p, kPointerWidth, kPointerHeight, kPointerClear);
    for (int y = 0; y < kPointerHeight; ++y) {
        for (int x = 0; x < kPointerWidth; ++x) {
            char c = kRows[y][x];
            if (c == 'X') p->pixels[size_t(y) * kPointerWidth + x] = Rgb5(0, 0, 0);
            if (c == '.') p->pixels[size_t(y) * kPointerWidth + x] = Rgb5(31, 31, 31);
        }
    }
}

void Convert(PlatPixelLayout layout, LauncherPicture* p, bool keepClear) {
    for (uint16_t& px : p->pixels) {
        if (keepClear && px == kPointerClear) continue;
        px = LayoutPixel(layout, px);
        // A converted colour that happens to equal the see-through value
        // must still be drawn.
        if (keepClear && px == kPointerClear) px = 0;
    }
}

} // namespace

uint16_t LayoutPixel(PlatPixelLayout layout, uint16_t stored555) {
    PlatLayoutMasks m = PlatMasksOf(layout);
    return uint16_t(PlaceChannel((stored555 >> 10) & 31, m.red) | PlaceChannel((stored555 >> 5) & 31, m.green) |
                    PlaceChannel(stored555 & 31, m.blue));
}

int BitmapTextWidth(const char* text, int scale) {
    int n = int(std::strlen(text));
    return n == 0 ? 0 : (n * 6 - 1) * scale;
}

void DrawBitmapText(uint16_t* pixels, int width, int height, int x, int y, const char* text, int scale,
                    uint16_t colour) {
    for (int i = 0; text[i] != '\0'; ++i) {
        const Glyph* g = FindGlyph(text[i]);
        if (g == nullptr) continue;
        int left = x + i * 6 * scale;
        for (int row = 0; row < 7 * scale; ++row) {
            int py = y + row;
            if (py < 0 || py >= height) continue;
            uint8_t bits = g->rows[row / scale];
            for (int col = 0; col < 5 * scale; ++col) {
                int px = left + col;
                if (px < 0 || px >= width) continue;
                if (bits & (0x10 >> (col / scale))) pixels[size_t(py) * width + px] = colour;
            }
        }
    }
}

void MakeLauncherArt(PlatPixelLayout layout, LauncherArt* art) {
    MakeBackground(&art->background);
    Convert(layout, &art->background, false);
    for (int z = 0; z < kZoneCount; ++z) {
        Fill(&art->lit[z], kZoneWidth, kZoneHeight, 0);
        Button(&art->lit[z], 0, 0, kZoneLabels[z], true);
        Convert(layout, &art->lit[z], false);
    }
    MakePointer(&art->pointer);
    Convert(layout, &art->pointer, true);
}

std::vector<uint8_t> MakeLauncherSound(int resource) {
    constexpr int kRate = 22050;
    // Notes: frequency in Hz and length in ms, played one after another.
    struct Note {
        double hz;
        int ms;
    };
    static const Note kBlip[] = {{880.0, 45}, {1318.5, 70}};
    static const Note kChime[] = {{523.25, 140}, {659.25, 140}, {783.99, 140}, {1046.5, 360}};
    const Note* notes = resource == kLauncherSoundStart ? kChime : kBlip;
    size_t count = resource == kLauncherSoundStart ? std::size(kChime) : std::size(kBlip);

    std::vector<int16_t> samples;
    for (size_t n = 0; n < count; ++n) {
        int length = kRate * notes[n].ms / 1000;
        for (int i = 0; i < length; ++i) {
            double t = double(i) / kRate;
            // A quick attack and an exponential fall, so the notes do not click.
            double envelope = std::min(1.0, i / 80.0) * std::exp(-4.0 * i / length);
            double v = std::sin(2 * 3.14159265358979 * notes[n].hz * t) + 0.3 * std::sin(4 * 3.14159265358979 * notes[n].hz * t);
            samples.push_back(int16_t(v * envelope * 9000));
        }
    }

    std::vector<uint8_t> out;
    ByteWriter w(out);
    uint32_t dataBytes = uint32_t(samples.size() * 2);
    w.bytes("RIFF", 4);
    w.u32(36 + dataBytes);
    w.bytes("WAVEfmt ", 8);
    w.u32(16);
    w.u16(1);           // PCM
    w.u16(1);           // mono
    w.u32(kRate);
    w.u32(kRate * 2);   // bytes per second
    w.u16(2);           // block
    w.u16(16);          // bits
    w.bytes("data", 4);
    w.u32(dataBytes);
    for (int16_t s : samples) w.i16(s);
    return out;
}
