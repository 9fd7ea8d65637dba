#include "draw/dialog_text.h"

#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_colours.h"
#include "draw/text_font.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kUnit = 11;
constexpr int kRunBytes = 256;

// Cuts a text that ends inside a two-byte character back to a whole one.
void CutToWholeCharacters(char* text) {
    size_t i = 0;
    while (text[i]) {
        if (static_cast<uint8_t>(text[i]) >= 0x80) {
            if (!text[i + 1]) {
                text[i] = '\0';
                return;
            }
            i += 2;
        } else {
            ++i;
        }
    }
}
} // namespace

int DrawColourText(uint16_t* pixels, int32_t x, int32_t y, uint32_t colour, uint32_t shadow, const char* text,
                   uint32_t mode) {
    gFontLarge.SetTextShadow(static_cast<uint16_t>(gShadowColours[shadow & 15]));
    return gFontLarge.DrawTextStr(pixels, x, y, text, static_cast<uint16_t>(gTextColours[colour & 15]), mode);
}

int DrawMessageBox(const char* text, int32_t x, int32_t y, int32_t lines, int32_t width, int32_t colour) {
    if (!text || !gBackPixels || lines <= 0) return 0;
    uint16_t ink = colour >= 0 && colour < 16 ? static_cast<uint16_t>(gTextColours[colour])
                                              : static_cast<uint16_t>(MakeColour(25, 23, 17));
    gFontLarge.SetTextShadow(static_cast<uint16_t>(MakeColour(6, 4, 3)));
    const int columns = width / kUnit;
    char run[kRunBytes + 2];
    int runBytes = 0, runStart = 0, column = 0, line = 0;
    auto flush = [&]() {
        run[runBytes] = '\0';
        if (runBytes) gFontLarge.DrawTextStr(gBackPixels, x + runStart * kUnit, y + line * kMessageLineGap, run, ink,
                                             kTextBoldShadowed);
        runBytes = 0;
        runStart = column;
    };
    auto newLine = [&]() {
        flush();
        ++line;
        column = runStart = 0;
    };
    for (const char* p = text; *p && line < lines;) {
        if (p[0] == '%' && p[1] == 'Q') break;
        if (p[0] == '%' && p[1] == 'N') {
            newLine();
            p += 2;
            continue;
        }
        if (p[0] == '%' && p[1] == 'C' && p[2] >= '0' && p[2] <= '9') {
            flush();
            ink = static_cast<uint16_t>(gTextColours[p[2] - '0']);
            p += 3;
            continue;
        }
        const int bytes = static_cast<uint8_t>(p[0]) >= 0x80 && p[1] ? 2 : 1;
        if (column + bytes > columns && column > 0) {
            newLine();
            if (line >= lines) break;
        }
        if (runBytes + bytes > kRunBytes) flush();
        std::memcpy(run + runBytes, p, bytes);
        runBytes += bytes;
        column += bytes;
        p += bytes;
    }
    if (line < lines) flush();
    return line < lines ? line + 1 : lines;
}

void PrintText(int32_t x, int32_t y, uint16_t colour, uint32_t, const char* format, ...) {
    if (!gBackPixels || !format) return;
    char text[kPrintTextBytes];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    CutToWholeCharacters(text);
    gFontSmall.DrawTextStr(gBackPixels, x, y, text, colour, kTextBoldOutlined);
}
