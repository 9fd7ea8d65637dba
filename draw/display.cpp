#include "draw/display.h"

#include "draw/pixel_format.h"
#include "platform/plat_display.h"
#include "platform/plat_system.h"

#include <bit>
#include <cstring>

cDDraw gDisplay;

namespace {

struct ErrorName {
    uint32_t code;
    const char* text;
};

// The names the error box shows, trailing blanks and all.
constexpr ErrorName kErrorNames[] = {
    {0x80004005u, "DDERR_GENERIC "},
    {0x8007000Eu, "DDERR_OUTOFMEMORY "},
    {0x80070057u, "DDERR_INVALIDPARAMS  "},
    {0x8876005Fu, "DDERR_INCOMPATIBLEPRIMARY  "},
    {0x88760064u, "DDERR_INVALIDCAPS "},
    {0x8876006Eu, "DDERR_INVALIDCLIPLIST "},
    {0x88760082u, "DDERR_INVALIDOBJECT  "},
    {0x887600D4u, "DDERR_NOCOOPERATIVELEVELSET  "},
    {0x887600E1u, "DDERR_NOEXCLUSIVEMODE "},
    {0x887600E6u, "DDERR_NOFLIPHW "},
    {0x8876017Cu, "DDERR_OUTOFVIDEOMEMORY   "},
    {0x88760231u, "DDERR_INVALIDDIRECTDRAWGUID "},
    {0x88760232u, "DDERR_DIRECTDRAWALREADYCREATED "},
    {0x88760233u, "DDERR_NODIRECTDRAWHW "},
    {0x88760234u, "DDERR_PRIMARYSURFACEALREADYEXISTS  "},
    {0x88760235u, "DDERR_NOEMULATION  "},
    {0x88760238u, "DDERR_NOCLIPPERATTACHED  "},
    {0x8876023Au, "DDERR_HWNDSUBCLASSED  "},
    {0x8876023Bu, "DDERR_HWNDALREADYSET  "},
    {0x88760245u, "DDERR_EXCLUSIVEMODEALREADYSET  "},
    {0x8876024Eu, "DDERR_UNSUPPORTEDMODE  "},
    {0x88760250u, "DDERR_INVALIDSURFACETYPE  "},
};

// An 8-bit channel cut to the mask's width and placed at its lowest bit.
uint16_t PackChannel(uint32_t value8, uint16_t mask) {
    if (mask == 0) return 0;
    return static_cast<uint16_t>(((value8 >> (8 - std::popcount(mask))) << std::countr_zero(mask)) & mask);
}

void CopySurface(Surface* dst, const Surface* src) {
    int rows = dst->height < src->height ? dst->height : src->height;
    int cols = dst->width < src->width ? dst->width : src->width;
    const uint8_t* s = reinterpret_cast<const uint8_t*>(src->pixels);
    uint8_t* d = reinterpret_cast<uint8_t*>(dst->pixels);
    for (int y = 0; y < rows; ++y)
        std::memcpy(d + static_cast<size_t>(y) * dst->pitch, s + static_cast<size_t>(y) * src->pitch,
                    static_cast<size_t>(cols) * 2);
}

// Every pixel of the surface; false when it cannot be locked.
bool FillWith(Surface* surface, uint16_t colour) {
    uint16_t* pixels = nullptr;
    int pitch = 0;
    if (!LockSurface(surface, &pixels, &pitch)) return false;
    for (int y = 0; y < surface->height; ++y) {
        uint16_t* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) + static_cast<size_t>(y) * pitch);
        for (int x = 0; x < surface->width; ++x) row[x] = colour;
    }
    UnlockSurface(surface);
    return true;
}

} // namespace

uint32_t PixelFormatCodeOf(uint16_t red, uint16_t green, uint16_t blue) {
    // Each later test overrides the one before, as the format codes were
    // always told apart.
    uint32_t code = 0;
    if (green == 0x07E0) code = 2;
    if (blue == 0x003F) code = 1;
    if (red == 0xFC00) code = 3;
    return code;
}

const char* DDErrorText(uint32_t error) {
    for (const ErrorName& e : kErrorNames)
        if (e.code == error) return e.text;
    return nullptr;
}

void DDErrorBox(const char* caption, uint32_t error) {
    const char* text = DDErrorText(error);
    if (text) PlatMessageBox(text, caption, kMsgButtonsOk);
}

cDDraw::~cDDraw() { ReleaseAll(); }

int cDDraw::InitDDraw(const char* title, int mode, int width, int height, int bits) {
    ReleaseAll();
    coopFlags_ = mode == kModeWindowed ? kCoopNormal : kCoopExclusive;
    if (bits != 16 || width <= 0 || height <= 0) {
        DDErrorBox("DirectDraw SetDisplayMode Error!!", kDDErrUnsupportedMode);
        return 0;
    }
    // The game always plays in a window of its own size on the desktop; the
    // full-screen mode id only selects how frames are shown.
    if (!PlatDisplayIsOpen() && !PlatDisplayOpen(title, width, height, false)) {
        DDErrorBox("DirectDraw SetDisplayMode Error!!", kDDErrUnsupportedMode);
        return 0;
    }
    open_ = true;
    width_ = width;
    height_ = height;
    bits_ = bits;
    if (!CreatePrimary()) {
        DDErrorBox("DirectDraw Create Primary Surface Error!!", kDDErrOutOfMemory);
        ReleaseAll();
        return 0;
    }
    PlatLayoutMasks m = PlatMasksOf(PlatDisplayLayout());
    formatCode_ = PixelFormatCodeOf(m.red, m.green, m.blue);
    presentFailed_ = false;
    return 1;
}

bool cDDraw::CreatePrimary() {
    primary_ = CreateSurface(width_, height_);
    if (!primary_) return false;
    primaryPitch_ = static_cast<uint32_t>(primary_->pitch);
    primaryHeight_ = static_cast<uint32_t>(primary_->height);
    if (coopFlags_ == kCoopNormal) {
        back_ = CreateOffSurface(width_, height_);
        if (!back_) return false;
        backPitch_ = static_cast<uint32_t>(back_->pitch);
        backHeight_ = static_cast<uint32_t>(back_->height);
    } else {
        backPitch_ = primaryPitch_;
        backHeight_ = primaryHeight_;
    }
    return true;
}

Surface* cDDraw::GetDDSurface(int id) const {
    if (id == kSurfacePrimary) return primary_;
    if (id == kSurfaceBack) return back_;
    return nullptr; // the third surface is never made
}

Surface* cDDraw::CreateOffSurface(int width, int height) {
    Surface* s = CreateSurface(width, height);
    if (s) offBytes_ += static_cast<uint64_t>(width) * height * (bits_ / 8);
    return s;
}

void cDDraw::GetPrimarySize(uint32_t* pitch, uint32_t* height) const {
    if (pitch) *pitch = primaryPitch_;
    if (height) *height = primaryHeight_;
}

void cDDraw::GetBackSize(uint32_t* pitch, uint32_t* height) const {
    *pitch = backPitch_;
    *height = backHeight_;
}

bool cDDraw::Blt(const Surface* source) {
    if (!open_ || !primary_ || !source || !source->pixels) return false;
    if (source != primary_) CopySurface(primary_, source);
    return FlipScreen();
}

bool cDDraw::FlipScreen() {
    if (!open_ || !primary_) return false;
    if (coopFlags_ == kCoopNormal && back_) CopySurface(primary_, back_);
    // A display that keeps refusing frames is given up on for this frame,
    // not retried for ever; the player is told once.
    for (int i = 0; i < kPresentTries; ++i)
        if (PlatDisplayPresent(primary_->pixels, primary_->pitch, primary_->width, primary_->height))
            return true;
    if (!presentFailed_) {
        presentFailed_ = true;
        DDErrorBox("DirectDraw Present Error!!", kDDErrGeneric);
    }
    return false;
}

int cDDraw::ReleaseSurfaces() {
    if (!open_) return 0;
    FreeSurface(back_);
    back_ = nullptr;
    FreeSurface(primary_);
    primary_ = nullptr;
    return 1;
}

void cDDraw::ReleaseDDraw() {
    if (!open_) return;
    open_ = false;
    PlatDisplayClose();
}

void cDDraw::ReleaseAll() {
    // Surfaces left behind by a release of the interface alone go too.
    FreeSurface(back_);
    back_ = nullptr;
    FreeSurface(primary_);
    primary_ = nullptr;
    ReleaseDDraw();
    width_ = height_ = 0;
    primaryPitch_ = primaryHeight_ = backPitch_ = backHeight_ = 0;
}

bool cDDraw::FillSurface(Surface* surface) const { return FillWith(surface, static_cast<uint16_t>(fillColour)); }

uint32_t ColourMatch(Surface* surface, uint32_t rgb) {
    uint16_t* pixels = nullptr;
    if (!LockSurface(surface, &pixels, nullptr)) return kNoColour;
    UnlockSurface(surface);
    if (rgb == kNoColour) return pixels[0];
    RgbMasks m = MasksOfFormat(static_cast<int>(gDisplay.PixelFormatCode()));
    return static_cast<uint32_t>(PackChannel(rgb & 0xFF, static_cast<uint16_t>(m.red)) |
                                 PackChannel((rgb >> 8) & 0xFF, static_cast<uint16_t>(m.green)) |
                                 PackChannel((rgb >> 16) & 0xFF, static_cast<uint16_t>(m.blue)));
}

bool FillSurfaceRGB(Surface* surface, uint32_t rgb) {
    uint32_t colour = ColourMatch(surface, rgb);
    return colour != kNoColour && FillWith(surface, static_cast<uint16_t>(colour));
}

void ReleaseDisplay() {
    FreeSurface(gBackBuffer);
    gBackBuffer = nullptr;
    gDisplay.ReleaseSurfaces();
    gDisplay.ReleaseDDraw();
}

void ResetDisplay() {
    ReleaseDisplay();
    gDisplay.fillColour = 0;
}
