#include "world/dialog/dlg_message.h"

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "base/str_to_num.h"
#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/text_colours.h"
#include "draw/text_font.h"
#include "media/sound_bank.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"

#include <algorithm>
#include <cstring>
#include <string_view>

ActRecord gDialogFrames[4];
ActRecord gDialogCaptions[4];
ActRecord gDialogNextButton;
ActRecord gDialogEndButton;
uint32_t gPageTurnRequest = 0;
DialogToScreenFn gDialogToScreen = DialogAnchorIdentity;

void DialogAnchorIdentity(int32_t*, int32_t*) {}

namespace {

constexpr int kOpenSteps = 4;
constexpr int kFadeLevels = 16;
constexpr int kWindowBorder = 16;
constexpr int kNameBorder = 4;
constexpr uint32_t kCanvasMode = 4;   // additive: the black canvas adds nothing
constexpr uint32_t kFadeMode = 20;
constexpr uint32_t kOptionStyle = 0x84;
constexpr int kOptionColour = 2;
constexpr int kNameColour = 4;
constexpr size_t kCodeOperandMax = 12; // bytes searched for the "." of "%A" and "%B"
constexpr uint32_t kMaxTextSpeed = 9;
const char kActErrorText[] = "\xB3\x5D\xA9\x77\xBF\xF9\xBB\x7E GUID[%d]\nact[%d] qq[%d] dir[%d]";

// The one canvas every box types into, kept for the whole run.
uint16_t gCanvas[kDialogCanvasWidth * kDialogCanvasHeight];

// Acts reported already, so a broken act is one box and not one a frame.
struct Reported {
    int32_t act = -1, qq = -1, dir = -1;
};
Reported gReportedNext, gReportedEnd, gReportedSpeaker;

void ReportOnce(Reported* seen, const char* caption, uint16_t guid, const ActRecord& r) {
    if (seen->act == r.act && seen->qq == r.qq && seen->dir == r.dir) return;
    *seen = {r.act, r.qq, r.dir};
    ErrorBox(caption, kActErrorText, guid, r.act, r.qq, r.dir);
}

struct Box {
    int32_t x, y, w, h;
};

// The box's final rectangle, its size held to the canvas.
Box FinalBox(const DialogNode& n) {
    return {n.x, n.y, std::clamp(n.width, 0, kDialogCanvasWidth), std::clamp(n.height, 0, kDialogCanvasHeight)};
}

bool HasSpeaker(const DialogNode& n) {
    return !(n.flags & kDlgFromOrigin) && n.speaker != kDialogNoSpeaker && n.speaker < TotalRole &&
           n.speaker < kMaxRoles;
}

// The screen point the box grows from and shrinks to.
void OriginOf(const DialogNode& n, int32_t* x, int32_t* y) {
    if (HasSpeaker(n)) {
        *x = gRole[n.speaker].x;
        *y = gRole[n.speaker].y;
    } else {
        *x = n.anchorX;
        *y = n.anchorY;
    }
    gDialogToScreen(x, y);
}

Box GrowingBox(const DialogNode& n, int step) {
    Box f = FinalBox(n);
    int32_t ox = 0, oy = 0;
    OriginOf(n, &ox, &oy);
    auto lerp = [step](int64_t from, int64_t to) { return int32_t(from + (to - from) * step / kOpenSteps); };
    int32_t left = lerp(ox, f.x), top = lerp(oy, f.y);
    return {left, top, lerp(ox, int64_t(f.x) + f.w) - left, lerp(oy, int64_t(f.y) + f.h) - top};
}

uint16_t WindowOf(const DialogNode& n) {
    return n.frameAct && n.frameAct->picNumber ? n.frameAct->picNumber : kDialogDefaultWindow;
}

// ---- Layout of a page -------------------------------------------------------

struct Highlight {
    bool on = false;
    int32_t x = 0, y = 0, w = 0, h = 0;
};

// One walk over the page from its start. Characters that start before
// `limit` are typed (drawn when `draw`, codes take effect when `effects`);
// the walk goes on to the end of the page to find where it ends.
struct Layout {
    DialogNode* node;
    Box box;
    size_t limit;
    bool draw;
    bool effects;
    // State while walking.
    int32_t col = 0, row = 0, scroll = 0;
    uint16_t colour = 0, shadow = 0, style = 0;
    int option = 0;
    char run[kDialogTextBytes + 1] = {};
    size_t runBytes = 0;
    int32_t runCol = 0;
    // Results.
    size_t next = 0;       // just past the first character at or after limit
    size_t pageEnd = 0;    // where the page's text ends
    size_t mark = 0;       // where the next page starts
    bool last = false;     // "%Q" (or the end of the text) ends the page
    bool hasOptions = false;
    Highlight highlight;
};

// A node starts with style 0, which is the dialog's usual bold shadowed text.
uint32_t DrawStyle(uint16_t style) { return style ? uint32_t(style) : uint32_t(kTextBoldShadowed); }

void Flush(Layout& L) {
    if (L.draw && L.runBytes) {
        L.run[L.runBytes] = '\0';
        DrawColourText(gCanvas, L.runCol * kDialogCharPixels, (L.row - L.scroll) * kDialogRowPixels, L.colour, L.shadow,
                       L.run, DrawStyle(L.style));
    }
    L.runBytes = 0;
    L.runCol = L.col;
}

void NewRow(Layout& L) {
    Flush(L);
    ++L.row;
    L.col = L.runCol = 0;
}

bool RowFits(const Layout& L) { return (L.row - L.scroll + 1) * kDialogRowPixels <= L.box.h; }

int DigitAt(const char* text, size_t p) { return text[p] >= '0' && text[p] <= '9' ? text[p] - '0' : -1; }

// The "." that ends the operand of "%A" or "%B" at p, within the bound; npos when none.
size_t OperandEnd(const char* text, size_t p) {
    for (size_t i = p; i < kDialogTextBytes && i < p + kCodeOperandMax; ++i) {
        if (text[i] == '\0') break;
        if (text[i] == '.') return i;
    }
    return std::string_view::npos;
}

// The "." that ends an option line's text at p: an option is as long as its
// text (a double-byte character is passed over whole), never past a code or
// the end of the text.
size_t OptionEnd(const char* text, size_t p) {
    for (size_t i = p; i < kDialogTextBytes && text[i] != '\0' && text[i] != '%';) {
        if (text[i] == '.') return i;
        i += static_cast<uint8_t>(text[i]) >= 0x80 && text[i + 1] != '\0' ? 2 : 1;
    }
    return std::string_view::npos;
}

uint16_t StyleOf(int digit) { return digit == 0 ? 4 : digit == 1 ? 16 : static_cast<uint16_t>(digit); }

// A code with a digit operand; false when the operand is not a digit (the
// code is then passed over without effect).
void DigitCode(Layout& L, char code, int d, bool reached) {
    DialogNode& n = *L.node;
    switch (code) {
    case 'C':
        Flush(L);
        L.colour = L.shadow = static_cast<uint16_t>(d);
        break;
    case 'D':
        Flush(L);
        L.shadow = static_cast<uint16_t>(d);
        break;
    case 'G':
        Flush(L);
        L.style = StyleOf(d);
        break;
    case 'S':
        if (reached && L.effects && !(n.flags & kDlgFullyShown))
            n.typeDelay = static_cast<uint16_t>((d + std::min(gTextSpeed, kMaxTextSpeed)) * 2);
        break;
    default: break;
    }
}

// An option line at p ("%B" text "."): drawn, listed once, highlighted when chosen.
size_t OptionCode(Layout& L, size_t p, bool reached) {
    DialogNode& n = *L.node;
    char* text = n.text;
    size_t end = OptionEnd(text, p + 2);
    if (end == std::string_view::npos) return p + 2;
    Flush(L);
    L.hasOptions = true;
    const int index = L.option++;
    const int32_t startCol = L.col;
    const bool chosen = gEventRects.words[kEventRectChoice] == uint32_t(index);
    size_t q = p + 2;
    size_t bytes = end - q;
    if (reached) {
        if (L.draw && bytes) {
            std::memcpy(L.run, text + q, bytes);
            L.run[bytes] = '\0';
            if (chosen) {
                DrawColourText(gCanvas, startCol * kDialogCharPixels, (L.row - L.scroll) * kDialogRowPixels, kOptionColour,
                               L.shadow, L.run, kOptionStyle);
            } else {
                DrawColourText(gCanvas, startCol * kDialogCharPixels, (L.row - L.scroll) * kDialogRowPixels, L.colour,
                               L.shadow, L.run, DrawStyle(L.style));
            }
        }
        const int32_t left = L.box.x + startCol * kDialogCharPixels, top = L.box.y + (L.row - L.scroll) * kDialogRowPixels;
        const int32_t width = int32_t(bytes) * kDialogCharPixels;
        if (L.effects && text[p + 1] == 'B') {
            AddEventRect(uint32_t(index), uint16_t(std::max(left, 0)), uint16_t(std::max(top, 0)),
                         uint16_t(std::max(left + width, 0)), uint16_t(std::max(top + kDialogRowPixels, 0)));
            text[p + 1] = 'b';
            n.flags |= kDlgOptionsListed;
        }
        if (chosen && L.draw) L.highlight = {true, left - 2, top, width + 4, kDialogRowPixels - 1};
    }
    L.col += int32_t(bytes);
    L.runCol = L.col;
    return end + 1;
}

// Walks the page; see Layout.
void LayOut(Layout& L) {
    DialogNode& n = *L.node;
    char* text = n.text;
    L.colour = n.colour;
    L.shadow = n.shadow;
    L.style = n.style;
    L.next = std::string_view::npos;
    size_t p = std::min(n.pageStart, kDialogTextBytes - 1);
    text[kDialogTextBytes - 1] = '\0';
    const int32_t columns = L.box.w / kDialogCharPixels;
    for (;;) {
        const bool reached = p < L.limit;
        if (text[p] == '\0') {
            L.pageEnd = L.mark = p;
            L.last = true;
            break;
        }
        if (text[p] == '%' && text[p + 1] != '\0') {
            const char code = text[p + 1];
            if (code == 'Q') {
                L.pageEnd = L.mark = p;
                L.last = true;
                break;
            }
            if (code == 'P') {
                L.pageEnd = p;
                L.mark = p + 2;
                break;
            }
            if (code == 'N' || code == 'L') {
                NewRow(L);
                if (code == 'L' && reached) ++L.scroll;
                p += 2;
                continue;
            }
            if (code == 'C' || code == 'D' || code == 'G' || code == 'S') {
                const int d = DigitAt(text, p + 2);
                if (d >= 0) DigitCode(L, code, d, reached);
                p += d >= 0 ? 3 : 2;
                continue;
            }
            if (code == 'K' || code == 'k') {
                if (reached && L.effects) {
                    n.flags |= kDlgFullyShown;
                    n.typeDelay = 0;
                }
                p += 2;
                continue;
            }
            if (code == 'A' || code == 'a') {
                size_t end = OperandEnd(text, p + 2);
                if (end == std::string_view::npos) {
                    p += 2;
                    continue;
                }
                if (reached && L.effects && code == 'A') {
                    char digits[kCodeOperandMax + 1] = {};
                    std::memcpy(digits, text + p + 2, end - (p + 2));
                    int32_t value = 0;
                    StrToNum(digits, &value);
                    PlaySfx(kDialogSoundCode, static_cast<int>(gSfxVolume));
                    text[p + 1] = 'a';
                }
                p = end + 1;
                continue;
            }
            if (code == 'B' || code == 'b') {
                // An option that would pass the box's right edge starts a row.
                const size_t end = OptionEnd(text, p + 2);
                if (end != std::string_view::npos && L.col > 0 && L.col + int32_t(end - p - 2) > columns) NewRow(L);
                if (!RowFits(L)) {
                    L.pageEnd = L.mark = p;
                    break;
                }
                if (reached) n.flags |= kDlgOptions;
                p = OptionCode(L, p, reached);
                continue;
            }
        }
        const size_t bytes = static_cast<uint8_t>(text[p]) >= 0x80 && text[p + 1] != '\0' ? 2 : 1;
        if (L.col + int32_t(bytes) > columns && L.col > 0) NewRow(L);
        if (!RowFits(L) || columns < int32_t(bytes)) {
            L.pageEnd = L.mark = p;
            break;
        }
        if (reached) {
            std::memcpy(L.run + L.runBytes, text + p, bytes);
            L.runBytes += bytes;
        } else if (L.next == std::string_view::npos) {
            L.next = p + bytes;
        }
        L.col += int32_t(bytes);
        p += bytes;
    }
    Flush(L);
    if (L.next == std::string_view::npos) L.next = L.pageEnd;
    // A box too small for a single character would turn to the same page for
    // ever: its page is the last one.
    if (!L.last && L.mark <= n.pageStart) L.last = true;
}

Layout MakeLayout(DialogNode* n, Box box, size_t limit, bool draw, bool effects) {
    Layout L{};
    L.node = n;
    L.box = box;
    L.limit = limit;
    L.draw = draw;
    L.effects = effects;
    return L;
}

// ---- Paging -----------------------------------------------------------------

void EndDialog(DialogNode& n) {
    n.flags |= kDlgEnded;
    if (HasSpeaker(n) && (gRole[n.speaker].flags & kRoleTurnsToTalker) && !TakeActData(&gRole[n.speaker].act))
        ReportOnce(&gReportedSpeaker, "Act Err(DlgMessage:Fr)", gRole[n.speaker].guid, gRole[n.speaker].act);
    if ((n.flags & kDlgReleasesPlayer) && gDialogCount > 0) --gDialogCount;
    // The box shrinks to its origin or fades; otherwise it goes at once.
    if (n.flags & kDlgFadingClose)
        n.countdown = kFadeLevels;
    else if (n.flags & kDlgClosing)
        n.countdown = kOpenSteps;
    else
        n.countdown = 0;
}

void TurnPage(DialogNode& n, Box box) {
    // The colours at the end of the old page start the new one.
    Layout L = MakeLayout(&n, box, SIZE_MAX, false, false);
    LayOut(L);
    size_t mark = std::min(L.mark, kDialogTextBytes - 1);
    const uint8_t b = static_cast<uint8_t>(n.text[mark]);
    // A blank or control byte the old page stopped at is not shown.
    if (b != 0 && b <= ' ') ++mark;
    n.pageStart = n.readPos = n.pageMark = mark;
    n.colour = L.colour;
    n.shadow = L.shadow;
    n.style = L.style;
    n.flags &= ~uint32_t(kDlgTimedTurn | kDlgPageTurn | kDlgPageComplete | kDlgFullyShown | kDlgOptions |
                         kDlgOptionsListed);
    n.typeCounter = 0;
    n.pageStartMs = 0;
    FreeEventRects();
}

// The request, the timer and the option pick; true when the page turned or
// the dialog ended.
void Page(DialogNode& n, Box box) {
    const uint32_t request = (n.flags & kDlgNoWait) ? 0 : gPageTurnRequest;
    const bool complete = n.flags & kDlgPageComplete;
    if (!complete) {
        if (request && !(n.flags & kDlgNoSkip)) {
            n.flags |= kDlgFullyShown;
            n.typeDelay = 0;
        }
        return;
    }
    bool accept = false;
    if (n.flags & kDlgOptions) {
        accept = (n.flags & kDlgOptionsListed) && gEventRects.head == nullptr;
    } else if (request) {
        accept = true; // a click and the key in one frame turn the page as well
    } else if (n.autoTime != kDialogNoAutoTime && (n.flags & kDlgAutoAdvance) && n.pageStartMs &&
               (gNow - n.pageStartMs) / 100 > n.autoTime) {
        accept = true;
        n.flags |= kDlgTimedTurn;
    }
    if (!accept) return;
    n.flags |= kDlgPageTurn;
    if (n.flags & kDlgLastPage)
        EndDialog(n);
    else
        TurnPage(n, box);
}

// ---- Drawing ----------------------------------------------------------------

void ClearCanvas(Box box) {
    for (int32_t y = 0; y < box.h; ++y) std::memset(gCanvas + size_t(y) * kDialogCanvasWidth, 0, size_t(box.w) * 2);
}

void BlitCanvas(Box box, int32_t fade) {
    if (gCanvas[0] == 0xFFFF) gCanvas[0] = 0xFFFE; // never taken for a run-length frame
    if (box.w <= 0 || box.h <= 0) return;
    SetClip(box.x, box.y, box.x + box.w, box.y + box.h);
    const uint16_t* table = gColourTable;
    gColourTable = nullptr;
    gCurPic = reinterpret_cast<const uint8_t*>(gCanvas);
    gAlphaLevel = fade;
    DrawPic(box.x, box.y, kDialogCanvasWidth, kDialogCanvasHeight, fade ? kFadeMode : kCanvasMode);
    gColourTable = table;
    SetClip(0, 0, gScreenWidth, gScreenHeight);
}

void DarkenStrip(int32_t x, int32_t y, int32_t w, int32_t h) {
    if (!gBackPixels) return;
    const int32_t x0 = std::max(x, 0), y0 = std::max(y, 0);
    const int32_t x1 = std::min(x + w, gScreenWidth), y1 = std::min(y + h, gScreenHeight);
    for (int32_t row = y0; row < y1; ++row) {
        uint16_t* p = BackPixel(x0, row);
        for (int32_t col = x0; col < x1; ++col, ++p) {
            const uint32_t v = *p;
            *p = static_cast<uint16_t>(((((v & gRedMask5) >> gRedShift) >> 2) << gRedShift) |
                                       ((((v & gGreenMask5) >> gGreenShift) >> 2) << gGreenShift) |
                                       ((((v & gBlueMask5) >> gBlueShift) >> 2) << gBlueShift));
        }
    }
}

void DrawNameBox(const DialogNode& n, Box box) {
    const size_t length = strnlen(n.caption, kDialogCaptionBytes);
    if (length == 0) return;
    char name[kDialogCaptionBytes + 1] = {};
    std::memcpy(name, n.caption, length);
    const int32_t len = int32_t(length);
    DarkenStrip(box.x + 6, box.y - 24, len * 8 + 28, 15);
    const uint16_t picture = n.captionAct && n.captionAct->picNumber ? n.captionAct->picNumber : kDialogCaptionWindow;
    DrawFrameWindow(picture, box.x + 6, box.y - 27, box.x + len * 9 + 16, box.y - 8, 0, kNameBorder);
    gFontMedium.SetTextShadow(static_cast<uint16_t>(gShadowColours[kNameColour]));
    if (gBackPixels)
        gFontMedium.DrawTextStr(gBackPixels, box.x + 12, box.y - 26, name,
                                static_cast<uint16_t>(gTextColours[kNameColour]), kTextBoldShadowed);
}

void DrawButton(const DialogNode& n, Box box) {
    const ActRecord& b = (n.flags & kDlgLastPage) ? gDialogEndButton : gDialogNextButton;
    if (!b.picNumber) return;
    DrawPictureFrame(b.picNumber, b.picFrame, box.x + box.w - int32_t(b.hotX) - 4, box.y + box.h - int32_t(b.hotY) - 8,
                     b.drawFlags & 0x3, 0);
}

// Typing, layout and drawing of an open box's page.
void TypeAndDraw(DialogNode& n, Box box) {
    if (n.flags & kDlgFullyShown) {
        n.typeDelay = 0;
    }
    Layout probe = MakeLayout(&n, box, n.readPos, false, false);
    LayOut(probe);
    if (n.flags & kDlgFullyShown) {
        n.readPos = probe.pageEnd;
    } else if (n.typeCounter > 0) {
        --n.typeCounter;
    } else {
        n.readPos = n.typeDelay == 0 ? probe.pageEnd : probe.next;
        n.typeCounter = n.typeDelay;
    }
    ClearCanvas(box);
    gFontLarge.SetTextClip(0, 0, box.w, box.h);
    Layout L = MakeLayout(&n, box, n.readPos, true, true);
    LayOut(L);
    if (n.readPos >= L.pageEnd && !(n.flags & kDlgPageComplete)) {
        n.flags |= kDlgPageComplete | kDlgFullyShown | kDlgOpenComplete;
        if (L.last) n.flags |= kDlgLastPage;
        n.pageMark = L.mark;
        n.pageStartMs = gNow ? gNow : 1;
    }
    // A complete option page may be answered with the keys.
    if ((n.flags & (kDlgPageComplete | kDlgOptionsListed)) == (kDlgPageComplete | kDlgOptionsListed) &&
        gEventRects.head)
        gEventRects.words[kEventRectChoiceFlags] |= kChoiceKeysClose;
    DrawFrameWindow(WindowOf(n), box.x, box.y, box.x + box.w, box.y + box.h, 0, kWindowBorder);
    BlitCanvas(box, 0);
    if (L.highlight.on && gBackPixels)
        DrawShimmerFrame(gBackPixels, L.highlight.x, L.highlight.y, L.highlight.w, L.highlight.h, gPitchPixels);
    if (n.flags & kDlgPageComplete) DrawButton(n, box);
    if (!(n.flags & kDlgEnded)) DrawNameBox(n, box);
}

// The closing box: shrinking or fading; true once it is gone.
bool Close(DialogNode& n) {
    if (n.countdown == 0) return true;
    --n.countdown;
    if (n.flags & kDlgFadingClose) {
        const Box box = FinalBox(n);
        const int32_t level = std::max<int32_t>(n.countdown, 1);
        DrawFrameWindow(WindowOf(n), box.x, box.y, box.x + box.w, box.y + box.h, level, kWindowBorder);
        BlitCanvas(box, level);
    } else {
        const Box box = GrowingBox(n, n.countdown);
        DrawFrameWindow(WindowOf(n), box.x, box.y, box.x + box.w, box.y + box.h, 0, kWindowBorder);
    }
    return n.countdown == 0;
}

void StepButton(ActRecord* button, Reported* seen, const char* caption) {
    if (!button->act) return;
    if (TakeActData(button))
        *seen = Reported{};
    else
        ReportOnce(seen, caption, 0, *button);
}

void RemoveGoneNodes() {
    DialogNode** link = &gDialogList;
    while (*link) {
        DialogNode* n = *link;
        if ((n->flags & kDlgEnded) && n->countdown == 0) {
            *link = n->next;
            if (n->speaker < TotalRole && n->speaker < kMaxRoles) gRole[n->speaker].talkLock = 0;
            delete n;
        } else {
            link = &n->next;
        }
    }
}

} // namespace

void DlgMessage() {
    gFontLarge.SetTarget(kDialogCanvasWidth, kDialogCanvasHeight);
    for (DialogNode* n = gDialogList; n; n = n->next) {
        if (n->flags & kDlgEnded) {
            Close(*n);
            continue;
        }
        if (n->openStep < kOpenSteps) {
            ++n->openStep;
            const Box box = GrowingBox(*n, n->openStep);
            DrawFrameWindow(WindowOf(*n), box.x, box.y, box.x + box.w, box.y + box.h, 0, kWindowBorder);
            continue;
        }
        const Box box = FinalBox(*n);
        Page(*n, box);
        if (n->flags & kDlgEnded) {
            Close(*n);
            continue;
        }
        TypeAndDraw(*n, box);
    }
    SetClip(0, 0, gScreenWidth, gScreenHeight);
    gPageTurnRequest = 0;
    RemoveGoneNodes();
    StepButton(&gDialogEndButton, &gReportedEnd, "Act Err(DlgMessage:EndBtn)");
    StepButton(&gDialogNextButton, &gReportedNext, "Act Err(DlgMessage:NextPage)");
    gFontLarge.SetTarget(gScreenWidth, gScreenHeight);
}

void InitDialogActs() {
    for (int i = 0; i < 4; ++i) {
        ResetActRecord(&gDialogFrames[i]);
        gDialogFrames[i].act = kDialogFrameActs[i];
        ResetActRecord(&gDialogCaptions[i]);
        gDialogCaptions[i].act = kDialogCaptionActs[i];
        // The dialog set-up finds a talk's frame act among these.
        gDialogScene.frames[i] = &gDialogFrames[i];
        gDialogScene.captions[i] = &gDialogCaptions[i];
    }
    ResetActRecord(&gDialogNextButton);
    gDialogNextButton.act = kDialogButtonAct;
    gDialogNextButton.qq = kDialogNextPageQq;
    ResetActRecord(&gDialogEndButton);
    gDialogEndButton.act = kDialogButtonAct;
    gDialogEndButton.qq = kDialogEndQq;
}

void ResetDlgMessage() {
    for (int i = 0; i < 4; ++i) gDialogFrames[i] = gDialogCaptions[i] = ActRecord{};
    gDialogNextButton = gDialogEndButton = ActRecord{};
    gPageTurnRequest = 0;
    gDialogToScreen = DialogAnchorIdentity;
    gReportedNext = gReportedEnd = gReportedSpeaker = Reported{};
    std::memset(gCanvas, 0, sizeof gCanvas);
}
