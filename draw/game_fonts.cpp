#include "draw/game_fonts.h"

#include "base/edition.h"
#include "draw/display.h"
#include "draw/text_font.h"
#include "platform/plat_display.h"

void MakeFont(cTextFont& font, int screenWidth, int screenHeight, int size) {
    font.ReleaseTextFont();
    font.Init(&gDisplay);
    font.SetTarget(screenWidth, screenHeight);
    font.SetFont(gEdition.fontFace, size);
    if (size == 20) font.SetTextHeight(24);
    if (size == 16) font.SetTextHeight(18);
    font.SetTextColour(kNoTextBox);
    font.SetTextShadow(0);
}

void MakeGameFonts() {
    int w = PlatScreenWidth(), h = PlatScreenHeight();
    MakeFont(gFontLarge, w, h, 20);
    MakeFont(gFontMedium, w, h, 16);
    MakeFont(gFontSmall, w, h, 12);
}

void SetGameTextHeights() {
    gFontLarge.SetTextHeight(22);
    gFontMedium.SetTextHeight(18);
    gFontSmall.SetTextHeight(16);
}

void ReleaseGameFonts() {
    gFontLarge.ReleaseTextFont();
    gFontMedium.ReleaseTextFont();
    gFontSmall.ReleaseTextFont();
}
