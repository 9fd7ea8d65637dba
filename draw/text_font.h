// Text drawing: each character is rendered once by the platform's font
// engine into a one-bit glyph kept in a sorted cache, then drawn straight
// into a 16-bit target in one of five styles, with an optional colour ramp
// down the glyph rows and an optional box behind each character.
//
// Text is a NUL-terminated byte string: a byte below 0x80 is one character,
// a byte of 0x80 or more starts a two-byte character whose code is the two
// bytes read as a little-endian u16. Single-byte characters advance half as
// far as two-byte ones.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class cDDraw;
struct PlatFont;

// Style and ramp bits of DrawTextStr's mode. The first style bit set, in this
// order, is used; with none only the boxes are drawn.
enum : uint32_t {
    kTextPlain = 0x01,
    kTextShadowed = 0x02,
    kTextBoldShadowed = 0x04,
    kTextOutlined = 0x08,
    kTextBoldOutlined = 0x10,
    kTextRampUp = 0x80,     // colour value + 1 on each glyph row
    kTextRampDown = 0x100,  // colour value - 1 on each glyph row (wins over up)
};

constexpr uint16_t kNoTextBox = 65534;  // back colour: no box behind the text
constexpr int kGlyphSlots = 2000;
constexpr int kGlyphKeep = 1998;  // codes kept; the highest is dropped past this
constexpr int kMaxFontSize = 64;

class cTextFont {
public:
    cTextFont();
    ~cTextFont();
    cTextFont(const cTextFont&) = delete;
    cTextFont& operator=(const cTextFont&) = delete;

    // Takes the display's screen as the target, a 16 x 16 font of the
    // edition's face, text height 16, no box, black shadows, an empty cache.
    // With a null or closed display the target stays as it was.
    void Init(const cDDraw* display);
    // A size above 64 becomes 64 (below 1 becomes 1). Opens the font, makes
    // the glyph cell size x size and starts an empty cache; when the cache
    // cannot be allocated the cell size stays and nothing is drawn.
    void SetFont(const char* face, int size);
    // Target size in pixels per row and rows; the clip becomes the whole target.
    void SetTarget(int width, int height);
    // Drawing is kept inside this rectangle, and always inside the target.
    void SetTextClip(int left, int top, int width, int height);
    void SetTextHeight(int height) { textHeight_ = height; }
    void SetTextColour(uint16_t colour) { backColour_ = colour; }  // kNoTextBox: none
    void SetTextShadow(uint16_t colour) { shadowColour_ = colour; }
    // Closes the font and frees the cache (the window was deactivated).
    void ReleaseTextFont();

    // Draws text with its top-left at (x, y) into pixels (the target's size,
    // rows of target width pixels). Returns the index just past the last
    // character drawn: 0 for an empty string or when there is no cache.
    int DrawTextStr(uint16_t* pixels, int x, int y, const char* text, uint16_t colour, uint32_t mode);

    int GlyphCount() const { return glyphCount_; }
    uint16_t GlyphCode(int index) const { return glyphCodes_[index]; }
    int CellWidth() const { return cellWidth_; }
    int CellHeight() const { return cellHeight_; }
    int TextHeight() const { return textHeight_; }
    int TargetWidth() const { return targetWidth_; }
    int TargetHeight() const { return targetHeight_; }
    bool HasCache() const { return glyphBitmaps_ != nullptr; }

    // Back to the constructed state, font closed and cache freed (tests).
    void Reset();

private:
    struct Clip {
        int left, top, right, bottom;  // inclusive
    };
    Clip EffectiveClip() const;
    int FindOrAddGlyph(uint16_t code, bool* added);
    uint8_t* Slot(int index) const;
    void DropOverflow();
    void FillBox(uint16_t* pixels, long long x, long long y, long long width, const Clip& clip) const;
    void DrawGlyph(uint16_t* pixels, long long x, long long y, const uint8_t* glyph, uint16_t colour, uint32_t mode,
                   const Clip& clip) const;

    int targetWidth_;
    int targetHeight_;
    int glyphRowBytes_;
    uint16_t glyphCodes_[kGlyphSlots];
    uint8_t* glyphBitmaps_;
    int glyphCount_;
    PlatFont* font_;
    int cellWidth_, cellHeight_;
    int textHeight_;
    uint16_t shadowColour_;
    uint16_t backColour_;
    int clipLeft_, clipTop_, clipWidth_, clipHeight_;
};

// A text as DrawTextStr drew it: the target, the rectangle its characters
// take (x, y to the pen's end and the text height) and the clip it was
// drawn in. Tests that look at a whole screen set gTextDrawLog to collect
// them (where rows overlap or run off the screen); null, nothing is kept.
struct TextDrawn {
    const uint16_t* target = nullptr;
    int targetWidth = 0, targetHeight = 0;
    int left = 0, top = 0, right = 0, bottom = 0;       // right and bottom exclusive
    int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;  // inclusive
    std::string text;
};
extern std::vector<TextDrawn>* gTextDrawLog;

// The three fonts of the game, made with sizes 20, 16 and 12.
extern cTextFont gFontLarge;
extern cTextFont gFontMedium;
extern cTextFont gFontSmall;

// Releases the three fonts and puts them back to their constructed state.
void ResetTextFonts();
