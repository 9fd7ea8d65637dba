// The game's display: the window's 16-bit screen (the primary surface), the
// off-screen surfaces other modules ask for, and presenting a frame.
//
// The primary is a system-memory copy of what the window shows; a present
// copies a surface onto it and hands it to the platform display.
#pragma once
#include <cstdint>

#include "draw/surface.h"

// Surface ids of the display.
enum : int {
    kSurfacePrimary = 10001,
    kSurfaceBack = 10002,  // windowed mode only
    kSurfaceThird = 10003, // never made
};
// Mode ids of InitDDraw.
enum : int {
    kModeWindowed = 20001,
    kModeFullScreen = 20002,
};
// Cooperative flags: windowed, and exclusive full screen.
enum : uint32_t {
    kCoopNormal = 8,
    kCoopExclusive = 19,
};
// Failure codes the error box knows.
enum : uint32_t {
    kDDErrGeneric = 0x80004005u,
    kDDErrOutOfMemory = 0x8007000Eu,
    kDDErrSurfaceLost = 0x887601C2u,
    kDDErrUnsupportedMode = 0x8876024Eu,
};
// The colour value that tells a colour lookup failed.
constexpr uint32_t kNoColour = 0xFFFFFFFFu;
// How often a present is tried before the display gives up on the frame.
constexpr int kPresentTries = 3;

class cDDraw {
public:
    cDDraw() = default;
    ~cDDraw();
    cDDraw(const cDDraw&) = delete;
    cDDraw& operator=(const cDDraw&) = delete;

    // Opens the window's width x height x bits display; 1 on success, 0 after
    // a failure (its error box shown, everything it made released).
    int InitDDraw(const char* title, int mode, int width, int height, int bits);
    Surface* GetDDSurface(int id) const;
    // A system-memory surface; null when it cannot be made.
    Surface* CreateOffSurface(int width, int height);
    void GetPrimarySize(uint32_t* pitch, uint32_t* height) const;
    void GetBackSize(uint32_t* pitch, uint32_t* height) const;
    // Copies source onto the primary and shows it; false when the display
    // kept refusing the frame (reported once) or there is no display.
    bool Blt(const Surface* source);
    // Shows the back surface (windowed) or the primary (full screen); false
    // like Blt.
    bool FlipScreen();
    // Surfaces in system memory are never lost; kept for the activation code.
    bool Restore(Surface* surface) const { return surface != nullptr; }
    int ReleaseSurfaces();
    void ReleaseDDraw();
    // Fills the whole surface with the fill colour.
    bool FillSurface(Surface* surface) const;

    bool IsOpen() const { return open_; }
    uint32_t PixelFormatCode() const { return formatCode_; }
    uint32_t CoopFlags() const { return coopFlags_; }
    uint64_t OffSurfaceBytes() const { return offBytes_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    uint32_t fillColour = 0;

private:
    bool CreatePrimary();
    void ReleaseAll();

    bool open_ = false;
    Surface* primary_ = nullptr;
    Surface* back_ = nullptr;
    uint32_t coopFlags_ = 0;
    int width_ = 0;
    int height_ = 0;
    int bits_ = 16;
    uint32_t formatCode_ = 0;
    uint64_t offBytes_ = 0;
    uint32_t primaryPitch_ = 0, primaryHeight_ = 0;
    uint32_t backPitch_ = 0, backHeight_ = 0;
    bool presentFailed_ = false; // the give-up box was shown for this run
};

extern cDDraw gDisplay;

// The pixel-format code of a display with these masks: 0 for 5-5-5, 2 for
// 5-6-5, 1 for 5-5-6, 3 for 6-5-5.
uint32_t PixelFormatCodeOf(uint16_t red, uint16_t green, uint16_t blue);

// The text of a display failure code (trailing blanks kept), or null for a
// code the box does not know.
const char* DDErrorText(uint32_t error);
// Shows the failure's text under the caption; an unknown code shows nothing.
void DDErrorBox(const char* caption, uint32_t error);

// The screen value of a desktop colour 0x00BBGGRR on a surface;
// kNoColour when the surface cannot be locked.
uint32_t ColourMatch(Surface* surface, uint32_t rgb);
// Fills the surface with that colour; false, drawing nothing, when the
// colour could not be found.
bool FillSurfaceRGB(Surface* surface, uint32_t rgb);

// Frees gBackBuffer, then the display's surfaces and the display itself:
// the end of a game's display, in the order it was made backwards.
void ReleaseDisplay();
// ReleaseDisplay and the fill colour back to black (tests).
void ResetDisplay();
