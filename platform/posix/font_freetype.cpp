// Glyph cells through FreeType, with the face found by fontconfig and the
// game's code pages turned into Unicode by iconv.
#include "platform/plat_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <iconv.h>

#include <cstring>
#include <new>

struct PlatFont {
    int pixelSize;
    int charset;
    FT_Face face;     // null while a stand-in rasteriser draws
    iconv_t toUtf32;  // (iconv_t)-1 when not open
    int baseline;     // cell row of the baseline
};

namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);

// Where a character set's face lives, found once. Plain storage, so the
// state outlives the fonts that other modules close at exit.
struct FaceLocation {
    bool looked;
    char file[1024];  // empty when no face was found
    int index;
};

struct FontState {
    FT_Library library;
    int openFaces;  // the library is closed with the last face
    FaceLocation big5;
    FaceLocation gb2312;
    PlatGlyphRasteriser rasteriser;
};
FontState gFontState;

// Windows writes Big5 in code page 950, which the game's texts were made in.
const char* CodePage(int charset) { return charset == kPlatCharsetGb2312 ? "GB2312" : "CP950"; }

// Asks fontconfig for a Ming/Song face covering the character set.
const FaceLocation& LocateFace(int charset) {
    FaceLocation& loc = charset == kPlatCharsetGb2312 ? gFontState.gb2312 : gFontState.big5;
    if (loc.looked) return loc;
    loc.looked = true;
    const char* query = charset == kPlatCharsetGb2312 ? "AR PL UMing CN,AR PL SungtiL GB,serif:lang=zh-cn"
                                                      : "AR PL UMing TW,AR PL Mingti2L Big5,serif:lang=zh-tw";
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return loc;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(query));
    if (pattern) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcChar8* file = nullptr;
        int index = 0;
        if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
            std::strlen(reinterpret_cast<const char*>(file)) < sizeof loc.file) {
            if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
            std::strcpy(loc.file, reinterpret_cast<const char*>(file));
            loc.index = index;
        }
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    FcConfigDestroy(config);
    return loc;
}

FT_Face OpenFace(int pixelSize, int charset) {
    const FaceLocation& loc = LocateFace(charset);
    if (!loc.file[0]) return nullptr;
    if (gFontState.openFaces == 0 && FT_Init_FreeType(&gFontState.library) != 0) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(gFontState.library, loc.file, loc.index, &face) != 0 ||
        FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        if (face) FT_Done_Face(face);
        if (gFontState.openFaces == 0) FT_Done_FreeType(gFontState.library);
        return nullptr;
    }
    ++gFontState.openFaces;
    return face;
}

void CloseFace(FT_Face face) {
    FT_Done_Face(face);
    if (--gFontState.openFaces == 0) FT_Done_FreeType(gFontState.library);
}

// The baseline sits where the face's ascent puts it when its ascent and
// descent together fill the cell, so the whole em box lands in the cell.
int BaselineOf(FT_Face face, int pixelSize) {
    long ascent = face->ascender;
    long span = face->ascender - face->descender;
    if (ascent <= 0 || span <= 0) return pixelSize * 7 / 8;
    return static_cast<int>((pixelSize * ascent + span / 2) / span);
}

// The code's text bytes as Unicode characters: one for a single byte or a
// two-byte character, two when both bytes are single-byte characters (the
// ".." the Simplified edition draws for a character without a counterpart).
// Returns how many were made; 0 when the bytes are not text of the set.
int CodePoints(PlatFont* font, uint16_t code, uint32_t out[2]) {
    uint8_t first = static_cast<uint8_t>(code);
    uint8_t second = static_cast<uint8_t>(code >> 8);
    if (second == 0) {
        if (first < 0x20 || first >= 0x80) return 0;
        out[0] = first;
        return 1;
    }
    if (font->toUtf32 == kNoIconv) return 0;
    char in[2] = {static_cast<char>(first), static_cast<char>(second)};
    unsigned char utf32[8];
    char* inPtr = in;
    size_t inLeft = sizeof in;
    char* outPtr = reinterpret_cast<char*>(utf32);
    size_t outLeft = sizeof utf32;
    iconv(font->toUtf32, nullptr, nullptr, nullptr, nullptr);
    if (iconv(font->toUtf32, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
    int count = static_cast<int>((sizeof utf32 - outLeft) / 4);
    for (int i = 0; i < count; ++i) {
        const unsigned char* u = utf32 + 4 * i;
        out[i] = uint32_t(u[0]) | (uint32_t(u[1]) << 8) | (uint32_t(u[2]) << 16) | (uint32_t(u[3]) << 24);
        if (out[i] < 0x20) return 0;
    }
    return count;
}

bool BitmapPixel(const FT_Bitmap& bitmap, int x, int y) {
    const unsigned char* row = bitmap.buffer + static_cast<long>(y) * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] & (0x80 >> (x & 7))) != 0;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return row[x] >= 128;
    return false;
}

// Ink bounds of what has been copied into the cell so far.
struct InkBox {
    int minX, minY, maxX, maxY;
};

// Copies the rendered glyph into the cell with its origin at column penX,
// cutting what falls outside.
void CopyIntoCell(const FT_GlyphSlot slot, int penX, int baseline, uint8_t* cell, int cellWidth, int cellHeight,
                  int rowBytes, InkBox* ink) {
    const FT_Bitmap& bitmap = slot->bitmap;
    for (int y = 0; y < static_cast<int>(bitmap.rows); ++y) {
        int cy = baseline - slot->bitmap_top + y;
        if (cy < 0 || cy >= cellHeight) continue;
        for (int x = 0; x < static_cast<int>(bitmap.width); ++x) {
            int cx = penX + slot->bitmap_left + x;
            if (cx < 0 || cx >= cellWidth || !BitmapPixel(bitmap, x, y)) continue;
            cell[cy * rowBytes + (cx >> 3)] |= static_cast<uint8_t>(0x80 >> (cx & 7));
            if (cx < ink->minX) ink->minX = cx;
            if (cx > ink->maxX) ink->maxX = cx;
            if (cy < ink->minY) ink->minY = cy;
            if (cy > ink->maxY) ink->maxY = cy;
        }
    }
}

}  // namespace

PlatFont* PlatFontOpen(int pixelSize, int charset) {
    if (pixelSize <= 0) return nullptr;
    if (charset != kPlatCharsetGb2312) charset = kPlatCharsetBig5;
    PlatFont* font = new (std::nothrow) PlatFont{pixelSize, charset, nullptr, kNoIconv, 0};
    if (!font) return nullptr;
    if (gFontState.rasteriser) return font;
    font->face = OpenFace(pixelSize, charset);
    font->toUtf32 = iconv_open("UTF-32LE", CodePage(charset));
    if (!font->face || font->toUtf32 == kNoIconv) {
        PlatFontClose(font);
        return nullptr;
    }
    font->baseline = BaselineOf(font->face, pixelSize);
    return font;
}

void PlatFontClose(PlatFont* font) {
    if (!font) return;
    if (font->face) CloseFace(font->face);
    if (font->toUtf32 != kNoIconv) iconv_close(font->toUtf32);
    delete font;
}

bool PlatFontRender(PlatFont* font, uint16_t code, uint8_t* cell, int cellWidth, int cellHeight, int rowBytes,
                    PlatGlyphMetrics* metrics) {
    PlatGlyphMetrics m{0, 0, 0, 0, 0};
    if (metrics) *metrics = m;
    if (!font || !cell || cellWidth <= 0 || cellHeight <= 0 || rowBytes * 8 < cellWidth) return false;
    std::memset(cell, 0, static_cast<size_t>(rowBytes) * cellHeight);
    if (gFontState.rasteriser) {
        bool drawn = gFontState.rasteriser(font->pixelSize, font->charset, code, cell, cellWidth, cellHeight, rowBytes);
        if (metrics) *metrics = {0, 0, cellWidth, cellHeight, font->pixelSize};
        return drawn;
    }
    if (!font->face) return false;
    uint32_t cps[2];
    int count = CodePoints(font, code, cps);
    if (count == 0) return false;
    InkBox ink{cellWidth, cellHeight, -1, -1};
    int pen = 0;
    for (int i = 0; i < count; ++i) {
        FT_UInt glyph = FT_Get_Char_Index(font->face, cps[i]);
        // Embedded bitmaps are used at the sizes the face has them (they are
        // hand-tuned); other sizes are outlines rendered without grey levels.
        if (glyph == 0 ||
            FT_Load_Glyph(font->face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0) {
            std::memset(cell, 0, static_cast<size_t>(rowBytes) * cellHeight);
            return false;
        }
        CopyIntoCell(font->face->glyph, pen, font->baseline, cell, cellWidth, cellHeight, rowBytes, &ink);
        pen += static_cast<int>(font->face->glyph->advance.x >> 6);
    }
    m.advance = pen;
    if (ink.maxX >= 0) {
        m.left = ink.minX;
        m.top = ink.minY;
        m.width = ink.maxX - ink.minX + 1;
        m.height = ink.maxY - ink.minY + 1;
    }
    if (metrics) *metrics = m;
    return true;
}

void PlatFontSetRasteriser(PlatGlyphRasteriser rasteriser) { gFontState.rasteriser = rasteriser; }
