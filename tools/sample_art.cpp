#include "tools/sample_art.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "shell/launcher_art.h"
#include "tools/rle_writer.h"

namespace {

const char* const kPackLabels[6] = {"CHAR", "ITEM", "MAGIC", "SYS", "MAP1", "MAP2"};
constexpr int kSampleFrames = 4;
constexpr int kSampleSize = 64;
// The framed window's picture in the system pack (number 9034): pieces 0..8
// and the side ornament 9.
constexpr int kWindowEntry = 34;
// Pictures of the system pack added for the story (numbers 9000 + entry).
constexpr int kMiniGameEntry = 300;
constexpr int kMenuEntry = 400;
constexpr int kTitleEntry = 500;
constexpr int kSpiritEntry = 600;
constexpr int kCursorFirstFrame = kSampleFrames;  // cursor frames follow picture 9001's four
constexpr int kCursorCount = 16;
constexpr int kCursorSize = 24;

// A canvas of stored pixels with the few shapes the art needs.
struct Canvas {
    int w, h;
    std::vector<uint16_t> px;
    Canvas(int width, int height, uint16_t fill) : w(width), h(height), px(size_t(width) * height, fill) {}
    void Set(int x, int y, uint16_t c) {
        if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + x] = c;
    }
    void Rect(int x0, int y0, int x1, int y1, uint16_t c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, uint16_t c) {
        for (int x = x0; x < x1; ++x) Set(x, y0, c), Set(x, y1 - 1, c);
        for (int y = y0; y < y1; ++y) Set(x0, y, c), Set(x1 - 1, y, c);
    }
    void Disc(int cx, int cy, int r, uint16_t c) {
        for (int y = cy - r; y <= cy + r; ++y)
            for (int x = cx - r; x <= cx + r; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) Set(x, y, c);
    }
    // A line of dots from (x0, y0) to (x1, y1), `thick` pixels wide.
    void Line(int x0, int y0, int x1, int y1, uint16_t c, int thick = 1) {
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
        for (int i = 0; i <= steps; ++i) {
            const int x = steps ? x0 + (x1 - x0) * i / steps : x0;
            const int y = steps ? y0 + (y1 - y0) * i / steps : y0;
            Rect(x - thick / 2, y - thick / 2, x - thick / 2 + thick, y - thick / 2 + thick, c);
        }
    }
    void Text(int x, int y, const std::string& text, int scale, uint16_t c) {
        DrawBitmapText(px.data(), w, h, x, y, text.c_str(), scale, c);
    }
    void CentredText(int y, const std::string& text, int scale, uint16_t c) {
        Text((w - BitmapTextWidth(text.c_str(), scale)) / 2, y, text, scale, c);
    }
    TswFrameData Rle() const { return {RleFromPixels(px, w, h), uint16_t(w), uint16_t(h)}; }
    TswFrameData Raw() const { return {RawFrameBytes16(px), uint16_t(w), uint16_t(h)}; }
};

uint16_t Darker(uint16_t c, int by) {
    const int r = std::max(0, ((c >> 10) & 31) - by), g = std::max(0, ((c >> 5) & 31) - by),
              b = std::max(0, (c & 31) - by);
    return ArtRgb(r, g, b);
}

// ---- map tiles ----

struct TileLook {
    uint16_t ground;
    const char* letter;
};
const TileLook kTileLooks[kStoryLayerTiles] = {
    {ArtRgb(6, 18, 6), "G"},   {ArtRgb(22, 18, 10), "P"}, {ArtRgb(4, 8, 24), "W"},  {ArtRgb(14, 14, 15), "#"},
    {ArtRgb(20, 14, 8), "F"},  {ArtRgb(22, 18, 10), "E"}, {ArtRgb(5, 10, 27), "W"},
};

} // namespace

std::vector<uint16_t> StoryTilePixels(int tile) {
    const TileLook& look = kTileLooks[tile];
    Canvas c(16, 16, look.ground);
    const uint16_t mark = Darker(look.ground, 5);
    if (tile == kTileWall) {
        // Bricks: mortar lines every 8 rows, joints offset on odd courses.
        for (int y = 0; y < 16; y += 8) c.Rect(0, y + 7, 16, y + 8, mark);
        c.Rect(8, 0, 9, 7, mark);
        c.Rect(3, 8, 4, 15, mark);
        c.Rect(13, 8, 14, 15, mark);
    } else if (tile == kTileFloor) {
        c.Frame(0, 0, 16, 16, mark);
    } else if (tile == kTileWater || tile == kTileWaterB) {
        const int shift = tile == kTileWater ? 0 : 3;
        for (int x = 0; x < 16; ++x) c.Set(x, 3 + ((x + shift) / 3) % 2, ArtRgb(14, 20, 31));
    } else if (tile == kTileEvent) {
        // A ring on the path: something happens here.
        c.Disc(8, 8, 7, ArtRgb(31, 26, 4));
        c.Disc(8, 8, 5, look.ground);
    }
    if (tile != kTileWall) c.Text(tile == kTileEvent ? 6 : 9, tile == kTileEvent ? 5 : 8, look.letter, 1, mark);
    return c.px;
}

std::vector<uint8_t> StoryTileLayer() {
    std::vector<uint8_t> out;
    for (int t = 0; t < kStoryLayerTiles; ++t)
        for (uint16_t p : StoryTilePixels(t)) {
            out.push_back(uint8_t(p));
            out.push_back(uint8_t(p >> 8));
        }
    return out;
}

uint16_t StoryTileColour(int tile) { return StoryTilePixels(tile)[17]; }

// ---- figures ----

namespace {

// Direction offsets in the facing order N, S, W, E, NW, SE, SW, NE.
const int kDirDx[8] = {0, 0, -1, 1, -1, 1, -1, 1};
const int kDirDy[8] = {-1, 1, 0, 0, -1, 1, 1, -1};

TswFrameData FigureFrame(const FigureSpec& f, int dir, int pose) {
    Canvas c(kFigureWidth, kFigureHeight, kArtKey);
    const uint16_t outline = Darker(f.colour, 10), skin = ArtRgb(29, 22, 16), white = ArtRgb(31, 31, 31);
    const int bob = pose == 0 ? 0 : 1;
    // Shadow under the feet, legs (apart in the walking poses), body, head.
    for (int x = 9; x < 23; ++x) c.Set(x, 46, kArtShadow), c.Set(x, 47, kArtShadow);
    const int stride = pose == 0 ? 0 : (pose == 1 ? 2 : -2);
    const int legDx = kDirDy[dir] != 0 && kDirDx[dir] == 0 ? 0 : stride * (kDirDx[dir] ? kDirDx[dir] : 1);
    const int legDy = kDirDx[dir] == 0 ? stride : 0;
    c.Rect(11 + legDx, 36, 15 + legDx, 46 - std::max(0, legDy), outline);
    c.Rect(17 - legDx, 36, 21 - legDx, 46 - std::max(0, -legDy), outline);
    c.Rect(8, 21 + bob, 24, 37 + bob, f.colour);
    c.Frame(8, 21 + bob, 24, 37 + bob, outline);
    c.Disc(16, 14 + bob, 6, skin);
    // The facing: an arrow on the body from its centre, and the eyes on the
    // head's side toward it (none from behind).
    const int cx = 16, cy = 29 + bob;
    c.Line(cx, cy, cx + 6 * kDirDx[dir], cy + 6 * kDirDy[dir], white, 2);
    c.Disc(cx + 6 * kDirDx[dir], cy + 6 * kDirDy[dir], 1, white);
    if (kDirDy[dir] >= 0 || kDirDx[dir] != 0) {
        const int ex = 16 + 3 * kDirDx[dir];
        if (kDirDx[dir] == 0) c.Set(ex - 2, 14 + bob, outline), c.Set(ex + 2, 14 + bob, outline);
        else c.Set(ex, 14 + bob, outline);
    }
    c.CentredText(0, f.label.substr(0, 5), 1, white);
    return c.Rle();
}

std::string Num(int v) { return std::to_string(v); }

} // namespace

TswEntryData FigurePicture(const FigureSpec& figure) {
    TswEntryData e;
    e.index = figure.act;
    for (int dir = 0; dir < 8; ++dir)
        for (int pose = 0; pose < kFigurePoses; ++pose) e.frames.push_back(FigureFrame(figure, dir, pose));
    return e;
}

std::vector<uint8_t> FigureAct(uint16_t act) { return BuildActData(FigureStreams(act)); }

std::vector<ActStreamData> FigureStreams(uint16_t act) {
    // The drawing point is the cell's corner: the feet stand on the cell.
    const std::string head = "XY 8 32 WH 1 1 RF " + Num(act);
    std::vector<ActStreamData> streams;
    for (int speed : {0, 6, 3}) {
        for (int dir = 0; dir < 8; ++dir) {
            const int first = dir * kFigurePoses;
            std::string text = speed == 0 ? "SD 8 " + head + " PA " + Num(first) + " OV"
                                          : "SD " + Num(speed) + " " + head + " PA " + Num(first + 1) + " ED PA " +
                                                Num(first) + " ED PA " + Num(first + 2) + " ED PA " + Num(first) +
                                                " OV";
            streams.push_back({true, ActWords(text.c_str())});
        }
    }
    // Streams 24..79 stand, facing stream % 8: a figure can also be the
    // title's typist, whose resting streams go up to 76.
    for (int s = 24; s < kSampleActStreams; ++s) {
        const std::string text = "SD 8 " + head + " PA " + Num((s % 8) * kFigurePoses) + " OV";
        streams.push_back({true, ActWords(text.c_str())});
    }
    return streams;
}

// ---- the labelled sample pictures ----

namespace {

// A 64x64 sample frame: a round token in the pack's colour on see-through
// corners with a shadow ring, labelled with the pack and the frame.
std::vector<uint16_t> SampleFrame(int pack, int frame) {
    Canvas c(kSampleSize, kSampleSize, kArtKey);
    for (int y = 0; y < kSampleSize; ++y) {
        for (int x = 0; x < kSampleSize; ++x) {
            int dx = x - 32, dy = y - 32, d = dx * dx + dy * dy;
            if (d < 28 * 28) c.Set(x, y, kArtPackTokens[pack]);
            else if (d < 31 * 31) c.Set(x, y, kArtShadow);
        }
    }
    c.CentredText(20, kPackLabels[pack], 1, ArtRgb(31, 31, 31));
    c.CentredText(32, Num(frame), 2, ArtRgb(31, 31, 20));
    return c.px;
}

// Nine window pieces of size x size (corners, edges, fill) in the given
// colours; the fill piece is plain.
std::vector<TswFrameData> WindowPieces(int size, uint16_t edge, uint16_t dark, uint16_t fill) {
    std::vector<TswFrameData> pieces;
    const int band = size < 8 ? 1 : 3;
    for (int piece = 0; piece < 9; ++piece) {
        int col = piece % 3, row = piece / 3;
        Canvas c(size, size, fill);
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                bool top = row == 0 && y < band, bottom = row == 2 && y >= size - band;
                bool left = col == 0 && x < band, right = col == 2 && x >= size - band;
                if (top || bottom || left || right) c.Set(x, y, (x + y) % 2 ? edge : dark);
            }
        }
        pieces.push_back(c.Raw());
    }
    return pieces;
}

// Nine 16x16 window pieces (corners, edges, fill) and a 16x48 ornament.
TswEntryData WindowPicture() {
    TswEntryData e;
    e.index = kWindowEntry;
    const uint16_t edge = kArtWindowEdge, dark = ArtRgb(6, 4, 2), fill = kArtWindowFill;
    e.frames = WindowPieces(16, edge, dark, fill);
    Canvas ornament(16, 48, kArtKey);
    for (int y = 0; y < 48; ++y) {
        int half = 2 + (y % 16 < 8 ? y % 8 : 7 - y % 8);
        ornament.Rect(8 - half, y, 8 + half, y + 1, edge);
    }
    e.frames.push_back(ornament.Rle());
    return e;
}

// A labelled frame: a plain box with a one-pixel rim and a centred label.
TswFrameData LabelledFrame(int w, int h, uint16_t colour, const std::string& label, int scale,
                           bool keyedCorners = false) {
    Canvas c(w, h, colour);
    c.Frame(0, 0, w, h, ArtRgb(31, 31, 24));
    if (keyedCorners) c.Set(0, 0, kArtKey), c.Set(w - 1, 0, kArtKey), c.Set(0, h - 1, kArtKey), c.Set(w - 1, h - 1, kArtKey);
    c.Text((w - BitmapTextWidth(label.c_str(), scale)) / 2, (h - 7 * scale) / 2, label, scale, ArtRgb(31, 31, 31));
    return c.Rle();
}

// A band with a rim and a see-through middle: a frame around what is drawn
// under it.
TswFrameData FramedBand(int w, int h, uint16_t rim) {
    Canvas c(w, h, kArtKey);
    c.Frame(0, 0, w, h, rim);
    c.Frame(1, 1, w - 1, h - 1, Darker(rim, 10));
    return c.Rle();
}

// The name entry's frame (picture 9038, drawn 98 left of and 54 above the
// first field): a plain panel with the prompt above the fields and the way
// to end the entry beside the third; the fields stand at (98, 54), (186, 54)
// and (138, 96), 22 high.
TswFrameData NameEntryFrame() {
    Canvas c(340, 120, ArtRgb(4, 6, 12));
    c.Frame(0, 0, 340, 120, ArtRgb(24, 20, 10));
    const uint16_t ink = ArtRgb(26, 24, 18), dim = ArtRgb(16, 14, 10);
    c.CentredText(10, "YOUR NAME", 2, ink);
    c.Text(98, 44, "FAMILY", 1, dim);
    c.Text(186, 44, "GIVEN", 1, dim);
    c.Text(138, 86, "TITLE", 1, dim);
    c.Text(250, 96, "RETURN", 1, dim);
    c.Text(250, 106, "TO BEGIN", 1, dim);
    for (int x : {98, 186}) c.Rect(x, 54, x + 56, 76, ArtRgb(2, 3, 6));
    c.Rect(138, 96, 242, 118, ArtRgb(2, 3, 6));
    return c.Rle();
}

// The message dialog's pictures (docs/dialogs.md): three more windows for
// the frame acts, the caption window, the name-entry frame, the number sign,
// the digits of numbers and of the story countdown and the two buttons.
std::vector<TswEntryData> DialogPictures() {
    std::vector<TswEntryData> pictures;
    const uint16_t edges[3] = {ArtRgb(10, 22, 12), ArtRgb(26, 12, 12), ArtRgb(20, 20, 26)};
    for (int i = 0; i < 3; ++i)
        pictures.push_back({35 + i, 16, {}, WindowPieces(16, edges[i], ArtRgb(2, 2, 2), ArtRgb(2 + 2 * i, 3, 6))});
    pictures.push_back({39, 16, {}, WindowPieces(4, ArtRgb(28, 24, 12), ArtRgb(8, 6, 2), ArtRgb(4, 4, 8))});
    pictures.push_back({38, 16, {}, {NameEntryFrame()}});
    pictures.push_back({45, 16, {}, {LabelledFrame(20, 20, ArtRgb(24, 20, 4), "M", 2, true)}});
    TswEntryData digits{79, 16, {}, {}}, timer{78, 16, {}, {}};
    for (int d = 0; d <= 10; ++d) {
        const std::string label = d == 10 ? "." : Num(d);
        if (d < 10) digits.frames.push_back(LabelledFrame(12, 18, ArtRgb(6, 10, 20), label, 2, true));
        timer.frames.push_back(LabelledFrame(12, 18, ArtRgb(20, 6, 6), label, 2, true));
    }
    pictures.push_back(digits);
    pictures.push_back(timer);
    pictures.push_back({kDialogNextPicture - 9000, 16, {}, {LabelledFrame(16, 12, ArtRgb(8, 20, 8), "V", 1), LabelledFrame(16, 12, ArtRgb(4, 12, 4), "V", 1)}});
    pictures.push_back({kDialogEndPicture - 9000, 16, {}, {LabelledFrame(16, 12, ArtRgb(20, 8, 8), "E", 1)}});
    return pictures;
}

// The mouse cursors, frames 4..19 of picture 9001 (act 9001 qq 0..15):
// arrows for the eight facings (0..7), a plain arrow (8, 12, 13, 14), a
// speech mark for talk (9, 10), a ring for an event cell (11), and the arrow
// with a question mark while key 0x2E is held (15).
TswFrameData CursorFrame(int qq) {
    Canvas c(kCursorSize, kCursorSize, kArtKey);
    const uint16_t ink = ArtRgb(31, 31, 31), rim = ArtRgb(2, 2, 2);
    if (qq < 8) {
        const int dx = kDirDx[qq], dy = kDirDy[qq];
        c.Line(12 - 8 * dx, 12 - 8 * dy, 12 + 8 * dx, 12 + 8 * dy, rim, 4);
        c.Line(12 - 8 * dx, 12 - 8 * dy, 12 + 8 * dx, 12 + 8 * dy, ink, 2);
        c.Disc(12 + 8 * dx, 12 + 8 * dy, 3, ink);
    } else if (qq == 9 || qq == 10) {
        c.Disc(12, 10, 9, rim);
        c.Disc(12, 10, 8, qq == 9 ? ink : ArtRgb(31, 28, 10));
        c.Line(8, 17, 5, 23, rim, 2);
        c.Text(6, 7, "...", 1, rim);
    } else if (qq == 11) {
        c.Disc(12, 12, 10, ArtRgb(31, 26, 4));
        c.Disc(12, 12, 6, kArtKey);
        c.Text(10, 9, "!", 1, ArtRgb(31, 26, 4));
    } else {
        for (int y = 0; y < 16; ++y) c.Rect(1, 1 + y, 2 + y * 2 / 3, 2 + y, y == 15 ? rim : ink);
        c.Line(1, 1, 1, 17, rim);
        c.Line(1, 1, 12, 12, rim);
        if (qq == 15) c.Text(15, 14, "?", 1, ArtRgb(31, 26, 4));
    }
    return c.Rle();
}

TswEntryData SystemSamplePicture() {
    TswEntryData e = SamplePicture(3);
    for (int qq = 0; qq < kCursorCount; ++qq) e.frames.push_back(CursorFrame(qq));
    return e;
}

// A sheet of labelled pictures played one frame a stream: the picture
// entry, and the act whose stream i shows frame i.
// Where an item's label goes: pictures that stand behind text are plain
// grounds, labelled small in a corner where no text is drawn, or not at all.
enum class LabelAt { kCentre, kCorner, kNone };

struct SheetItem {
    int w, h;
    std::string label;
    uint16_t colour;
    LabelAt at = LabelAt::kCentre;
    bool rimOnly = false;  // a frame: the rim on a see-through middle
    int originX = 0;       // the act draws it this far left of its point
};

std::string StillStream(int picture, int frame, int originX = 0) {
    const std::string origin = originX ? " XY " + Num(originX) + " 0" : "";
    return "SD 3" + origin + " RF " + Num(picture) + " PA " + Num(frame) + " ED PA " + Num(frame) + " OV";
}

TswFrameData SheetFrame(const SheetItem& it) {
    if (it.at == LabelAt::kCentre && !it.rimOnly)
        return LabelledFrame(it.w, it.h, it.colour, it.label, it.w >= 200 ? 3 : 1);
    Canvas c(it.w, it.h, it.rimOnly ? kArtKey : it.colour);
    c.Frame(0, 0, it.w, it.h, it.rimOnly ? it.colour : Darker(it.colour, 3));
    if (it.at == LabelAt::kCorner && !it.label.empty()) c.Text(4, it.h - 10, it.label, 1, Darker(ArtRgb(31, 31, 31), 12));
    return c.Rle();
}

ActStreamData Stream(const std::string& text) { return {true, ActWords(text.c_str())}; }

TswEntryData SheetPicture(int entry, const std::vector<SheetItem>& items) {
    TswEntryData e;
    e.index = entry;
    for (const SheetItem& it : items) e.frames.push_back(SheetFrame(it));
    return e;
}

std::vector<uint8_t> SheetAct(int entry, const std::vector<SheetItem>& items) {
    std::vector<ActStreamData> streams;
    for (size_t i = 0; i < items.size(); ++i)
        streams.push_back(Stream(StillStream(9000 + entry, int(i), items[i].originX)));
    return BuildActData(streams);
}

// The mini-game (act 9010): the drifting background tile (qq 0), the
// player (1), the goal layer (2), the four obstacles (3..6), four more
// rocks for the obstacle kinds a story may set (7..10) and the charm that
// crowns the goal (11).
std::vector<SheetItem> MiniGameSheet() {
    return {{128, 128, "", ArtRgb(6, 10, 22)},
            {32, 32, "YOU", ArtRgb(6, 14, 28)},
            {160, 24, "GOAL", ArtRgb(28, 24, 4)},
            {24, 24, "R1", ArtRgb(22, 8, 8)},
            {24, 24, "R2", ArtRgb(22, 14, 8)},
            {28, 28, "R3", ArtRgb(18, 8, 18)},
            {32, 32, "R4", ArtRgb(10, 18, 10)},
            {24, 24, "R5", ArtRgb(22, 8, 14)},
            {24, 24, "R6", ArtRgb(14, 14, 8)},
            {28, 28, "R7", ArtRgb(8, 8, 22)},
            {32, 32, "R8", ArtRgb(18, 18, 18)},
            {32, 32, "CHARM", ArtRgb(30, 28, 12)}};
}

// Small pictures the menus, the mini-game and the loading bar draw by
// number (picture 9000 + entry, one frame each item).
std::vector<TswEntryData> NumberedPictures() {
    const uint16_t arrow = ArtRgb(24, 20, 8), dim = ArtRgb(12, 10, 4);
    std::vector<TswEntryData> p;
    p.push_back(SheetPicture(7, {{20, 10, ">", ArtRgb(31, 26, 4)}}));  // the mini-game's progress marker
    p.push_back(SheetPicture(49, {{40, 20, "SAVE", ArtRgb(8, 16, 8)}}));    // the save slots' badges
    p.push_back(SheetPicture(50, {{40, 20, "SAVE", ArtRgb(16, 8, 16)}}));
    p.push_back(SheetPicture(51, {{32, 16, "DN", arrow}, {32, 16, "DN", dim}, {32, 16, "UP", arrow}, {32, 16, "UP", dim}}));  // save list arrows
    p.push_back(SheetPicture(54, {{16, 16, "UP", ArtRgb(8, 24, 8)}}));   // the level arrows: up
    p.push_back(SheetPicture(55, {{16, 16, "DN", ArtRgb(24, 8, 8)}}));   // and down
    static const char* const kElements[7] = {"M", "W", "A", "F", "E", "6", "7"};
    std::vector<SheetItem> elements;
    for (const char* e : kElements) elements.push_back({16, 16, e, ArtRgb(12, 12, 20)});
    p.push_back(SheetPicture(132, elements));  // the elements
    p.push_back(SheetPicture(135, {{378, 36, "", ArtRgb(6, 6, 10)}}));  // the loading bar's frame
    p.back().frames[0] = FramedBand(378, 36, ArtRgb(24, 20, 10));
    p.push_back(SheetPicture(139, {{50, 8, "", ArtRgb(8, 20, 8)}, {50, 8, "", ArtRgb(20, 20, 6)}, {50, 8, "", ArtRgb(24, 8, 6)}}));
    p.push_back(SheetPicture(146, {{8, 12, "", ArtRgb(31, 31, 31)}, {8, 12, "", ArtRgb(20, 20, 28)}, {8, 12, "", ArtRgb(31, 26, 4)}}));
    // The framed box: nine 8 x 8 pieces around a see-through middle.
    p.push_back({19, 16, {}, WindowPieces(8, ArtRgb(24, 20, 10), ArtRgb(8, 6, 2), kArtKey)});
    return p;
}

// The menus' sheet (act 9002, qq 0..99), each picture the size its place
// asks for. Page backgrounds (52..58 by page; 41..51 unused) cover the page
// right of the status panel. The whole screen: the refining page's pictures
// (55 its own, 57 the contract, 59, 70 the merging; drawn from x 180 like
// every page, so their act starts 180 pixels to the left), the save
// screen's (0 saving, 12 loading) and the title's (68, 78). Behind text, 180
// x 480: the status panel's background (1), the members' backgrounds
// (72..75) and the spirit's (91). The icon bar (2, drawn with direction 2 as
// stream 4) shows the six pages' icons, the icon cursor (16..21) the one
// chosen; the gauge frame (3), the item list's frame (7) and its filter
// tabs (60..65), portraits (8..11, 5 the shop's) and member tabs (92..95),
// the scroll bar's pieces (26..31), the item pointer (32), the options'
// value marks (34, 35), the loading picture (79); the rest plain tiles.
const char* const kMenuIcons[6] = {"ITEM", "EQUIP", "MAGIC", "REFINE", "FEED", "SYSTEM"};

SheetItem MenuItem(int qq) {
    const uint16_t page = kArtMenuPage, face = ArtRgb(12, 10, 20), icon = ArtRgb(8, 16, 22);
    const uint16_t panel = ArtRgb(8, 6, 14), rim = ArtRgb(24, 20, 10);
    if (qq == 55 || qq == 57 || qq == 59 || qq == 70) return {640, 480, "PAGE " + Num(qq), page, LabelAt::kCorner, false, 180};
    if (qq == 0 || qq == 12 || qq == 68 || qq == 78) return {640, 480, "PAGE " + Num(qq), page, LabelAt::kCorner};
    if (qq >= 41 && qq <= 58) return {460, 480, "PAGE " + Num(qq), page, LabelAt::kCorner};
    if (qq == 1 || qq == 91 || (qq >= 72 && qq <= 75)) return {180, 480, "", panel, LabelAt::kNone};
    if (qq == 2 || qq == 4) return {640, 52, "", ArtRgb(6, 8, 18), LabelAt::kNone};  // drawn with its icons below
    if (qq == 3) return {81, 6, "", rim, LabelAt::kNone, true};
    if (qq == 7) return {384, 340, "", rim, LabelAt::kNone, true};
    if (qq >= 60 && qq <= 65) return {30, 4, "", ArtRgb(31, 26, 4), LabelAt::kNone};
    if (qq >= 8 && qq <= 11) return {76, 96, "FACE " + Num(qq - 7), face, LabelAt::kCorner};
    if (qq == 5) return {76, 96, "FACE", face, LabelAt::kCorner};
    if (qq >= 92 && qq <= 95) return {44, 16, Num(qq - 91), face};
    if (qq >= 16 && qq <= 21) return {48, 48, kMenuIcons[qq - 16], icon};
    if (qq == 26 || qq == 27 || qq == 30 || qq == 31) return {16, 16, qq == 26 || qq == 30 ? "UP" : "DN", ArtRgb(20, 20, 8)};
    if (qq == 28 || qq == 29) return {16, 16, "", qq == 28 ? ArtRgb(8, 8, 12) : ArtRgb(20, 16, 8), LabelAt::kNone};
    if (qq == 32) return {24, 10, "", ArtRgb(31, 26, 4), LabelAt::kNone};
    if (qq == 34 || qq == 35) return {14, 14, "", qq == 35 ? ArtRgb(31, 26, 4) : ArtRgb(8, 8, 10), LabelAt::kNone};
    if (qq == 79) return {200, 40, "LOADING", ArtRgb(6, 6, 6)};
    return {32, 32, "", ArtRgb(10, 10, 14), LabelAt::kNone};
}

// The icon bar: a dim box for each page's icon where the cursor stands on it.
TswFrameData IconBarFrame() {
    Canvas c(640, 52, ArtRgb(6, 8, 18));
    c.Rect(0, 50, 640, 52, ArtRgb(24, 20, 10));
    static const int kAdjust[6] = {0, -3, -2, 2, 7, 11};
    for (int i = 0; i < 6; ++i) {
        const int x = 70 * i + 211 + kAdjust[i];
        c.Rect(x, 0, x + 48, 48, ArtRgb(5, 10, 14));
        c.Frame(x, 0, x + 48, 48, ArtRgb(10, 16, 20));
        c.Text(x + (48 - BitmapTextWidth(kMenuIcons[i], 1)) / 2, 20, kMenuIcons[i], 1, ArtRgb(20, 22, 24));
    }
    return c.Rle();
}

std::vector<SheetItem> MenuSheet() {
    std::vector<SheetItem> items;
    for (int qq = 0; qq < 100; ++qq) items.push_back(MenuItem(qq));
    return items;
}

// The title's background (qq 78): every entry's place, dim, where the
// chosen entry's picture lights it ((entry + 1) x 112, 320).
TswFrameData TitleFrame() {
    static const char* const kEntries[4] = {"NEW GAME", "CONTINUE", "OPTIONS", "QUIT"};
    Canvas c(640, 480, kArtMenuPage);
    c.CentredText(120, "SAMPLE STORY", 4, ArtRgb(20, 18, 12));
    for (int e = 0; e < 4; ++e) {
        const int x = (e + 1) * 112;
        c.Rect(x, 320, x + 104, 352, ArtRgb(5, 7, 14));
        c.Frame(x, 320, x + 104, 352, ArtRgb(10, 12, 18));
        c.Text(x + (104 - BitmapTextWidth(kEntries[e], 1)) / 2, 333, kEntries[e], 1, ArtRgb(14, 14, 18));
    }
    return c.Rle();
}

// The refining page's ground (qq 55 and 59; the act draws it from x 0): the
// list's frame, the three tabs, the two fields where the items' pictures
// stand and the button between them, placed where the page takes clicks.
TswFrameData RefineFrame(int qq) {
    Canvas c(640, 480, kArtMenuPage);
    const uint16_t rim = ArtRgb(14, 12, 8), ink = ArtRgb(16, 14, 10), ground = ArtRgb(3, 4, 9);
    c.Frame(3, 76, 188, 466, rim);
    static const char* const kTabs[3] = {"GOODS", "GEAR", "BEASTS"};
    for (int t = 0; t < 3; ++t) {
        c.Frame(8 + 36 * t, 50, 8 + 36 * t + 34, 74, rim);
        c.Text(10 + 36 * t, 58, kTabs[t], 1, ink);
    }
    for (int x : {255, 466}) {
        c.Rect(x, 71, x + 137, 337, ground);
        c.Frame(x, 71, x + 137, 337, rim);
    }
    c.Text(259, 75, "FIRST", 1, ink);
    c.Text(470, 75, "SECOND", 1, ink);
    c.Rect(413, 338, 452, 358, ArtRgb(10, 8, 4));
    c.Frame(413, 338, 452, 358, rim);
    c.Text(416, 345, "MERGE", 1, ink);
    c.Text(4, 470, "PAGE " + Num(qq), 1, Darker(ArtRgb(31, 31, 31), 12));
    return c.Rle();
}

TswEntryData MenuPicture() {
    TswEntryData e = SheetPicture(kMenuEntry, MenuSheet());
    e.frames[55] = RefineFrame(55);
    e.frames[59] = RefineFrame(59);
    e.frames[78] = TitleFrame();
    // The bar is drawn as stream 2 with direction 2: stream 4.
    e.frames[2] = e.frames[4] = IconBarFrame();
    return e;
}

// Act 9003: the title's four entries (qq 44..47), the smoke (59), the
// spotlight (78, 79); the rest small numbered tiles.
std::vector<SheetItem> TitleSheet() {
    static const char* const kEntries[4] = {"NEW GAME", "CONTINUE", "OPTIONS", "QUIT"};
    std::vector<SheetItem> items;
    for (int qq = 0; qq < 80; ++qq) {
        if (qq >= 44 && qq <= 47) items.push_back({104, 32, kEntries[qq - 44], ArtRgb(8, 12, 24)});
        else if (qq == 59) items.push_back({32, 32, "SMOKE", ArtRgb(16, 16, 16)});
        else if (qq == 78 || qq == 79) items.push_back({64, 64, "LIGHT", ArtRgb(28, 28, 18)});
        else items.push_back({32, 32, Num(qq), ArtRgb(10, 10, 14)});
    }
    return items;
}

// Act 9011: the talisman spirit of each element (qq = spirit slot - 1), as
// the menus' spirit panel shows it.
std::vector<SheetItem> SpiritSheet() {
    // Drawn at (92, 120) above the panel's rows from y 170.
    return {{48, 48, "METAL", ArtRgb(22, 22, 24)},
            {48, 48, "WOOD", ArtRgb(8, 20, 8)},
            {48, 48, "WATER", ArtRgb(6, 12, 26)},
            {48, 48, "FIRE", ArtRgb(26, 10, 4)},
            {48, 48, "EARTH", ArtRgb(20, 14, 6)}};
}

} // namespace

TswEntryData SamplePicture(int pack) {
    TswEntryData e;
    e.index = 1;
    for (int f = 0; f < kSampleFrames; ++f) {
        std::vector<uint16_t> px = SampleFrame(pack, f);
        // Even frames run-length, odd ones raw, so both kinds are in play.
        std::vector<uint8_t> bytes = (f % 2 == 0) ? RleFromPixels(px, kSampleSize, kSampleSize) : RawFrameBytes16(px);
        e.frames.push_back({bytes, uint16_t(kSampleSize), uint16_t(kSampleSize)});
    }
    return e;
}

std::vector<uint8_t> SampleAct(int pack) {
    // Four frames of picture pack x 3000 + 1, three game frames each, round
    // and round, in all 80 streams: act 1 of the character pack is also one
    // of the loading bar's two runners (running, qq 16, facing east) and the
    // title's resting typist (qq 13 and 76), and the same act is the
    // typist's typing act 1001 (qq 0, 10 and 74).
    const std::string text = "SD 3 RF " + Num(pack * 3000 + 1) + " PA 0 ED PA 1 ED PA 2 ED PA 3 OV";
    return BuildActData(std::vector<ActStreamData>(kSampleActStreams, Stream(text)));
}

std::vector<uint8_t> SampleHitAct(int pack) {
    const std::string text = "SD 3 RF " + Num(pack * 3000 + 1) + " PA 0 ED PA 1 ED PA 2 AT 1 ED PA 3 O2";
    return BuildActData(std::vector<ActStreamData>(kSampleActStreams, Stream(text)));
}

namespace {

// The battle HUD's pictures (docs/battle-screen.md lists them): the base
// strip (9077), the commanding ally's frame (9119), the life, spirit and
// stamina bars (9069..9071: frame 0 the trough, 1 the fill), their row icons
// (9118), the floating numbers over the roles (9085..9087, 9097), the command panels' nine-part frame (9095), the time gauge (9088), the charge bar (9093), the life digits in
// yellow (9080) and red (9081), the charge gauge (9082), the running-total
// gauge (9111), the roulette's frame (9136), the list tabs (9108), the arrow
// sheet (9142, frame 19 the arrow), the member icons (9104), the dimmed
// overlay (9106), the target markers (9103, 9105, 9107) and the coin (9115).
std::vector<TswEntryData> BattleHudPictures() {
    std::vector<TswEntryData> p;
    Canvas base(640, 96, kArtHudStrip);
    base.Frame(0, 0, 640, 96, kArtHudStripEdge);
    base.Rect(0, 1, 640, 2, ArtRgb(24, 20, 10));
    p.push_back({77, 16, {}, {base.Rle()}});
    Canvas ally(160, 96, kArtKey);
    ally.Frame(0, 0, 160, 96, ArtRgb(31, 26, 4));
    ally.Frame(1, 1, 159, 95, ArtRgb(20, 16, 2));
    p.push_back({119, 16, {}, {ally.Rle()}});
    const uint16_t fills[3] = {ArtRgb(28, 4, 4), ArtRgb(6, 10, 30), ArtRgb(6, 26, 8)};
    for (int i = 0; i < 3; ++i) {
        Canvas trough(50, 6, ArtRgb(2, 2, 3));
        trough.Frame(0, 0, 50, 6, ArtRgb(12, 12, 12));
        Canvas fill(48, 4, fills[i]);
        fill.Rect(0, 0, 48, 1, Darker(ArtRgb(31, 31, 31), 4));
        p.push_back({69 + i, 16, {}, {trough.Rle(), fill.Rle()}});
    }
    p.push_back(SheetPicture(118, {{14, 14, "L", fills[0]}, {14, 14, "S", fills[1]}, {14, 14, "T", fills[2]}}));
    Canvas gaugeBack(66, 8, ArtRgb(2, 2, 3)), gaugeFill(66, 6, ArtRgb(28, 24, 6));
    gaugeBack.Frame(0, 0, 66, 8, ArtRgb(16, 16, 16));
    p.push_back({88, 16, {}, {gaugeBack.Rle(), gaugeFill.Rle()}});
    Canvas chargeBack(50, 5, ArtRgb(2, 2, 3)), chargeFill(48, 3, ArtRgb(30, 14, 2));
    chargeBack.Frame(0, 0, 50, 5, ArtRgb(12, 10, 4));
    p.push_back({93, 16, {}, {chargeBack.Rle(), chargeFill.Rle()}});
    TswEntryData middle{80, 16, {}, {}}, low{81, 16, {}, {}};
    for (int d = 0; d < 10; ++d) {
        middle.frames.push_back(LabelledFrame(12, 18, ArtRgb(20, 16, 2), Num(d), 2, true));
        low.frames.push_back(LabelledFrame(12, 18, ArtRgb(22, 4, 4), Num(d), 2, true));
    }
    p.push_back(middle);
    p.push_back(low);
    // The floating numbers over the roles: healing (9085), spirit (9086),
    // stamina (9087) and damage (9097), 16 pixels a digit.
    const std::pair<int, uint16_t> floating[4] = {{85, ArtRgb(6, 22, 8)}, {86, ArtRgb(6, 10, 26)}, {87, ArtRgb(22, 20, 4)},
                                                  {97, kArtDamageDigits}};
    for (const auto& [entry, colour] : floating) {
        TswEntryData digits{entry, 16, {}, {}};
        // A digit in the number's colour with a dark edge, on see-through
        // ground: the number floats over the field (and fades darker).
        for (int d = 0; d < 10; ++d) {
            Canvas c(16, 20, kArtKey);
            const int x = (16 - BitmapTextWidth(Num(d).c_str(), 2)) / 2, y = 3;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (dx || dy) c.Text(x + dx, y + dy, Num(d), 2, ArtRgb(2, 2, 2));
            c.Text(x, y, Num(d), 2, colour);
            digits.frames.push_back(c.Rle());
        }
        p.push_back(digits);
    }
    p.push_back(SheetPicture(82, {{24, 80, "", ArtRgb(4, 4, 8)}, {16, 4, "", ArtRgb(31, 31, 20)}, {16, 96, "", ArtRgb(24, 8, 28)},
                                  {8, 8, "", ArtRgb(20, 20, 31)}}));
    Canvas accumBack(24, 64, ArtRgb(3, 3, 6)), accumFill(24, 64, ArtRgb(28, 12, 2));
    accumBack.Frame(0, 0, 24, 64, ArtRgb(20, 18, 8));
    p.push_back({111, 16, {}, {accumBack.Rle(), accumFill.Rle()}});
    p.push_back(SheetPicture(136, {{64, 30, "", ArtRgb(8, 6, 14)}, {64, 30, "", ArtRgb(20, 14, 4)}}));
    // The nine-part frame of the command panels (9095).
    p.push_back({95, 16, {}, WindowPieces(16, ArtRgb(24, 20, 10), ArtRgb(8, 6, 2), ArtRgb(4, 4, 12))});
    std::vector<SheetItem> tabs;
    for (int t = 0; t < 8; ++t) tabs.push_back({40, 20, "T" + Num(t % 4), t < 4 ? ArtRgb(8, 8, 14) : ArtRgb(24, 18, 6)});
    p.push_back(SheetPicture(108, tabs));
    std::vector<SheetItem> arrows(20, SheetItem{10, 10, "", ArtRgb(10, 10, 10), LabelAt::kNone});
    arrows[19] = {10, 10, ">", ArtRgb(8, 24, 8)};
    p.push_back(SheetPicture(142, arrows));
    std::vector<SheetItem> faces;
    static const uint16_t kFaceColours[4] = {kArtHeroColour, ArtRgb(26, 10, 14), ArtRgb(10, 22, 10), ArtRgb(24, 20, 6)};
    for (int m = 0; m < 6; ++m) faces.push_back({40, 40, "P" + Num(m + 1), kFaceColours[m % 4]});
    p.push_back(SheetPicture(104, faces));
    std::vector<SheetItem> portraits;
    for (int m = 0; m < 6; ++m) portraits.push_back({24, 24, Num(m + 1), kFaceColours[m % 4]});
    p.push_back(SheetPicture(130, portraits));
    p.push_back(SheetPicture(106, {{50, 5, "", ArtRgb(31, 31, 31)}}));
    p.push_back(SheetPicture(103, {{16, 12, "V", ArtRgb(31, 26, 4)}}));
    p.push_back(SheetPicture(105, {{16, 12, "V", ArtRgb(8, 28, 8)}}));
    p.push_back(SheetPicture(107, {{16, 12, "X", ArtRgb(28, 6, 6)}}));
    p.push_back(SheetPicture(115, {{48, 48, "", ArtRgb(28, 24, 4)}, {48, 48, "WIN", ArtRgb(8, 24, 8)},
                                   {48, 48, "LOSE", ArtRgb(24, 8, 8)}, {48, 48, "", ArtRgb(31, 28, 12)}}));
    return p;
}

// The HUD's acts: member icons (9104) and small portraits (9130, of
// picture 9130), qq by member,, the dimmed overlay (9106), the markers (9103, 9105, 9107) and
// the coin (9115: qq 0 spinning, 1 win, 2 lose, 3 the zoom away).
std::vector<PackEntryData> BattleHudActs() {
    std::vector<ActStreamData> faces, portraits, coin;
    for (int m = 0; m < 6; ++m) {
        faces.push_back(Stream("SD 3 XY 20 20 RF 9104 PA " + Num(m) + " ED PA " + Num(m) + " OV"));
        // The small portrait stands above and left of its point (the icon
        // panel's name row).
        portraits.push_back(Stream("SD 3 XY 12 24 RF 9130 PA " + Num(m) + " ED PA " + Num(m) + " OV"));
    }
    coin.push_back(Stream("SD 2 XY 24 24 RF 9115 PA 0 ED PA 3 OV"));
    for (int q = 1; q <= 3; ++q) coin.push_back(Stream("SD 3 XY 24 24 RF 9115 PA " + Num(q) + " ED PA " + Num(q) + " OV"));
    return {{104, BuildActData(faces)},
            {130, BuildActData(portraits)},
            {106, BuildActData({Stream(StillStream(9106, 0))})},
            {103, BuildActData({Stream("SD 3 XY 8 12 RF 9103 PA 0 ED PA 0 OV")})},
            {105, BuildActData({Stream("SD 3 XY 8 12 RF 9105 PA 0 ED PA 0 OV")})},
            {107, BuildActData({Stream("SD 3 XY 8 12 RF 9107 PA 0 ED PA 0 OV")})},
            {115, BuildActData(coin)}};
}

} // namespace

std::vector<TswEntryData> SystemPictures() {
    std::vector<TswEntryData> pictures = {SystemSamplePicture(), WindowPicture()};
    for (TswEntryData& e : DialogPictures()) pictures.push_back(std::move(e));
    pictures.push_back(SheetPicture(kMiniGameEntry, MiniGameSheet()));
    pictures.push_back(MenuPicture());
    pictures.push_back(SheetPicture(kTitleEntry, TitleSheet()));
    pictures.push_back(SheetPicture(kSpiritEntry, SpiritSheet()));
    for (TswEntryData& e : NumberedPictures()) pictures.push_back(std::move(e));
    for (TswEntryData& e : BattleHudPictures()) pictures.push_back(std::move(e));
    // The book's category pictures: 9030 the row of tabs, 9058 the current
    // one, a frame per category 0..10.
    std::vector<SheetItem> tabs, current;
    for (int c = 0; c < 11; ++c) {
        tabs.push_back({36, 16, "C" + Num(c), ArtRgb(10, 12, 16)});
        current.push_back({40, 20, "C" + Num(c), ArtRgb(24, 18, 6)});
    }
    pictures.push_back(SheetPicture(30, tabs));
    pictures.push_back(SheetPicture(58, current));
    // The block banner over a role (9072: four pieces that pop in one after
    // another) and the battle's mouse cursors (9100 pointing, 9101 on a
    // choice, 9102 in the command panels).
    pictures.push_back(SheetPicture(72, {{18, 16, "BL", ArtRgb(8, 18, 28)}, {12, 16, "O", ArtRgb(8, 18, 28)},
                                         {16, 16, "C", ArtRgb(8, 18, 28)}, {12, 16, "K", ArtRgb(8, 18, 28)}}));
    const uint16_t pointers[3] = {ArtRgb(31, 31, 31), ArtRgb(31, 26, 4), ArtRgb(8, 28, 8)};
    for (int n = 0; n < 3; ++n) {
        // An arrow whose tip is the frame's corner (the mouse's point).
        Canvas c(16, 16, kArtKey);
        for (int y = 0; y < 14; ++y) c.Rect(0, y, std::min(y + 1, 10), y + 1, y == 13 ? ArtRgb(2, 2, 2) : pointers[n]);
        c.Line(0, 0, 0, 13, ArtRgb(2, 2, 2));
        c.Line(0, 0, 10, 10, ArtRgb(2, 2, 2));
        c.Line(6, 10, 10, 15, pointers[n], 2);
        pictures.push_back({100 + n, 16, {}, {c.Rle()}});
    }
    return pictures;
}

// The system pack's acts: entry 1 (act 9001) with the cursors (qq 0..15)
// and the dialog's next-page (qq 20) and end (qq 21) buttons, entry 2 the
// menus' sheet, entry 3 the title's, entry 4 (act 9004) the countdown's
// digits (qq 0..9) and separator (qq 10), entry 10 the mini-game, entry 11
// the talisman spirits (qq 0..4), entry 19 the framed box, entries 30..33 the frame acts and 40..43 the caption acts,
// entry 110 the frame of the battle's message banner.
std::vector<PackEntryData> SystemActs() {
    std::vector<ActStreamData> sheet(22, ActStreamData{false, {}});
    for (int qq = 0; qq < kCursorCount; ++qq) sheet[size_t(qq)] = Stream(StillStream(9001, kCursorFirstFrame + qq));
    sheet[20] = Stream("SD 6 RF " + Num(kDialogNextPicture) + " PA 0 ED PA 1 OV");
    sheet[21] = Stream(StillStream(kDialogEndPicture, 0));
    std::vector<ActStreamData> timer;
    for (int d = 0; d <= 10; ++d) timer.push_back(Stream(StillStream(9078, d)));
    std::vector<PackEntryData> acts = {{1, BuildActData(sheet)},
                                       {2, SheetAct(kMenuEntry, MenuSheet())},
                                       {3, SheetAct(kTitleEntry, TitleSheet())},
                                       {4, BuildActData(timer)},
                                       {10, SheetAct(kMiniGameEntry, MiniGameSheet())},
                                       {11, SheetAct(kSpiritEntry, SpiritSheet())},
                                       {19, BuildActData({Stream(StillStream(9000 + kWindowEntry, 0))})}};
    for (int i = 0; i < 4; ++i) {
        acts.push_back({30 + i, BuildActData({Stream(StillStream(9034 + i, 0))})});
        acts.push_back({40 + i, BuildActData({Stream(StillStream(9039, 0))})});
    }
    acts.push_back({110, BuildActData({Stream(StillStream(9000 + kWindowEntry, 0))})});
    for (PackEntryData& e : BattleHudActs()) acts.push_back(std::move(e));
    // The battle's cursors: the picture at the mouse's point.
    for (int n = 100; n <= 102; ++n) acts.push_back({uint16_t(n), BuildActData({Stream(StillStream(9000 + n, 0))})});
    return acts;
}

// ---- The battle's art ----

namespace {

// One battle pose: what it is called, whether it plays once (the performers
// wait for its end) or round and round, and its events: the hit (0x1) on
// the second frame, or the key frame (0x8) in every group of a run-up,
// whose approach moves on that beat.
struct PoseLook {
    const char* name;
    bool once;
    bool hit;
    bool run;
};

PoseLook PoseOf(int qq) {
    switch (qq) {
    case 36: return {"WAIT", false, false, false};
    case 37: return {"WEAK", false, false, false};
    case 38: return {"HURT", true, false, false};
    case 39: return {"DOWN", false, false, false};
    case 40: return {"STRIKE", true, true, false};
    case 41: return {"STRONG", true, true, false};
    case 42: return {"THROW", true, true, false};
    case 43: return {"BLOCK", true, false, false};
    case 44: return {"CAST", true, true, false};
    case 45: return {"CHARGE", true, true, false};
    case 46: return {"RUN", false, false, true};
    case 47: return {"BACK", false, false, true};
    case 48: return {"SPEC1", true, true, false};
    case 49: return {"SPEC2", true, true, false};
    case 50: return {"STEAL", true, true, false};
    case 51: return {"READY", false, false, false};
    case 52: return {"SKILL", true, true, false};
    case 53: return {"SKILL2", true, true, false};
    case 54: return {"POSE", true, false, false};
    case 55: return {"GUARD", false, false, false};
    case 56: return {"AIM", false, false, false};
    case 57: return {"RUSH", true, false, false};  // the first member's arrival: plays once
    case 58: return {"OUCH", true, false, false};
    default: return {"DASH", true, true, true};
    }
}

// The poses a picture holds, in frame order (two frames each).
std::vector<int> PoseList() {
    std::vector<int> qqs;
    for (int qq = kBattlePoseFirst; qq <= kBattlePoseLast; ++qq) qqs.push_back(qq);
    qqs.push_back(kBattleDashFirst);  // one look for every dash
    return qqs;
}

int PoseSlot(int qq) { return qq >= kBattleDashFirst ? kBattlePoseLast - kBattlePoseFirst + 1 : qq - kBattlePoseFirst; }

// A battle figure in a pose, frame 0 or 1: the label on top, the pose's
// name at the feet, a body in its colour facing its side, and what the pose
// does drawn plainly (an arm and blade out, a shield, a spark, lying down).
TswFrameData BattlePoseFrame(const BattleFigureSpec& f, int qq, int frame) {
    const int w = f.width, h = f.height;
    Canvas c(w, h, kArtKey);
    const PoseLook look = PoseOf(qq);
    const uint16_t outline = Darker(f.colour, 10), skin = ArtRgb(29, 22, 16), white = ArtRgb(31, 31, 31);
    const uint16_t steel = ArtRgb(26, 26, 30), ink = ArtRgb(31, 31, 20);
    const int dir = 1;  // every battle picture faces right
    const int cx = w / 2, feet = h - 10;
    const int bodyW = w * 5 / 16, bodyH = h * 3 / 8, headR = std::max(5, w / 9);
    for (int x = cx - bodyW / 2 - 3; x < cx + bodyW / 2 + 3; ++x) c.Set(x, feet, kArtShadow), c.Set(x, feet + 1, kArtShadow);
    if (qq == 39) {
        // Down: the body lies along the ground.
        c.Rect(cx - bodyH / 2 - 6, feet - bodyW / 2, cx + bodyH / 2 - 6, feet, f.colour);
        c.Frame(cx - bodyH / 2 - 6, feet - bodyW / 2, cx + bodyH / 2 - 6, feet, outline);
        c.Disc(cx + bodyH / 2 + headR - 6, feet - headR, headR, skin);
    } else {
        const int lean = (look.run ? 3 : 0) * dir + (look.once && look.hit && frame == 1 ? 3 * dir : 0);
        const int hurt = (qq == 38 || qq == 58) ? -4 * dir * (frame + 1) / 2 : 0;
        const int top = feet - 12 - bodyH, bx = cx - bodyW / 2 + lean + hurt;
        const int stride = look.run ? (frame == 0 ? 4 : -4) : 0;
        c.Rect(cx - bodyW / 2 + 2 + stride, feet - 12, cx - 2 + stride, feet, outline);
        c.Rect(cx + 2 - stride, feet - 12, cx + bodyW / 2 - 2 - stride, feet, outline);
        c.Rect(bx, top, bx + bodyW, feet - 12, f.colour);
        c.Frame(bx, top, bx + bodyW, feet - 12, outline);
        const int hx = cx + lean + hurt, hy = top - headR;
        c.Disc(hx, hy, headR, skin);
        c.Set(hx + dir * headR / 2, hy - 1, outline);
        const int shoulderX = dir > 0 ? bx + bodyW : bx, shoulderY = top + 4;
        if (look.hit && qq != 44 && qq != 45 && qq != 50) {
            // A blade: raised on the first frame, out toward the foe on the second.
            const int tipX = frame == 0 ? shoulderX + dir * 6 : shoulderX + dir * (w / 2 - 4);
            const int tipY = frame == 0 ? shoulderY - h / 4 : shoulderY + 2;
            c.Line(shoulderX, shoulderY, tipX, tipY, steel, 2);
        } else if (qq == 44 || qq == 45) {
            // A spell: a hand up and a spark that grows.
            c.Line(shoulderX, shoulderY, shoulderX + dir * 6, shoulderY - 10, skin, 2);
            c.Disc(shoulderX + dir * 8, shoulderY - 14, 2 + 2 * frame, ArtRgb(31, 24, 4));
        } else if (qq == 50) {
            c.Line(shoulderX, shoulderY, shoulderX + dir * (8 + 8 * frame), shoulderY + 6, skin, 2);
        } else if (qq == 43 || qq == 55) {
            // A shield before the body.
            c.Rect(shoulderX + dir * 2 - 3, top, shoulderX + dir * 2 + 3, feet - 14, steel);
        } else if (qq == 54) {
            // The victory pose: both arms up.
            c.Line(bx, shoulderY, bx - 4, shoulderY - 12 - 2 * frame, skin, 2);
            c.Line(bx + bodyW, shoulderY, bx + bodyW + 4, shoulderY - 12 - 2 * frame, skin, 2);
        } else {
            // The facing: an arrow on the body toward the foes.
            const int ay = top + bodyH / 2;
            c.Line(hx - dir * 4, ay, hx + dir * 6, ay, white, 2);
            c.Disc(hx + dir * 6, ay, 1, white);
        }
        if (qq == 38 || qq == 58) c.Frame(bx - 1, top - 1, bx + bodyW + 1, feet - 11, ArtRgb(31, 4, 4));
        if (qq == 37) c.Text(hx - 2, hy - headR - 8, "!", 1, ArtRgb(31, 4, 4));
    }
    // The labels: the figure's on top, the pose's at the feet (rows that
    // hold nothing else), mirrored for a figure the battle draws mirrored.
    c.CentredText(0, f.label.substr(0, size_t(w / 6)), 1, white);
    c.CentredText(h - 8, look.name, 1, ink);
    if (f.drawnMirrored)
        for (int y : {0, 1, 2, 3, 4, 5, 6, 7, h - 8, h - 7, h - 6, h - 5, h - 4, h - 3, h - 2, h - 1})
            std::reverse(c.px.begin() + std::ptrdiff_t(y) * w, c.px.begin() + std::ptrdiff_t(y + 1) * w);
    return c.Rle();
}

}  // namespace

const char* BattlePoseName(int qq) { return PoseOf(qq).name; }

void AddBattlePoseFrames(TswEntryData* picture, const BattleFigureSpec& figure) {
    for (int qq : PoseList())
        for (int frame = 0; frame < 2; ++frame) picture->frames.push_back(BattlePoseFrame(figure, qq, frame));
}

void AddBattlePoseStreams(std::vector<ActStreamData>* streams, const BattleFigureSpec& figure, int firstFrame) {
    if (streams->size() < size_t(kBattleStreams)) streams->resize(size_t(kBattleStreams), ActStreamData{false, {}});
    // The drawing point is the feet.
    const std::string head = "XY " + Num(figure.width / 2) + " " + Num(figure.height - 10) + " RF " + Num(figure.set);
    auto put = [&](int qq) {
        const PoseLook look = PoseOf(qq);
        const int a = firstFrame + 2 * PoseSlot(qq), b = a + 1;
        std::string text;
        if (look.run) {
            text = "SD 3 " + head + " PA " + Num(a) + " AT 8 ED PA " + Num(b) + " AT 8 " + (look.once ? "ED PA " + Num(b) + " AT 9 WV " + Num(kSampleStrikeSound) + " O2" : "OV");
        } else if (look.once && look.hit) {
            const int sound = (qq == 44 || qq == 45) ? kSampleCastSound : kSampleStrikeSound;
            text = "SD 5 " + head + " PA " + Num(a) + " ED PA " + Num(b) + " AT 1 WV " + Num(sound) + " ED PA " + Num(b) + " O2";
        } else if (look.once) {
            const std::string sound = (qq == 38 || qq == 58) ? " WV " + Num(kSampleHurtSound) : "";
            text = "SD 5 " + head + " PA " + Num(a) + sound + " ED PA " + Num(b) + " ED PA " + Num(a) + " O2";
        } else {
            text = "SD 8 " + head + " PA " + Num(a) + " ED PA " + Num(b) + " OV";
        }
        (*streams)[size_t(qq)] = Stream(text);
    };
    for (int qq = kBattlePoseFirst; qq <= kBattlePoseLast; ++qq) put(qq);
    for (int qq = kBattleDashFirst; qq < kBattleStreams; ++qq) put(qq);
}

std::vector<BattleFigureSpec> MonsterBattleFigures() {
    return {{1001, "DUMMY", ArtRgb(26, 20, 10), false},
            {1002, "BEAST", ArtRgb(8, 20, 8), false},
            {1003, "THIEF", ArtRgb(16, 8, 22), false},
            {1004, "GUARDIAN", ArtRgb(18, 18, 22), false, 96, 112},
            {1005, "IMP", ArtRgb(26, 10, 4), false},
            {1006, "GUARD", ArtRgb(6, 20, 24), true},
            {250, "WEAK", ArtRgb(14, 14, 14), false},
            // The sample's first monster record (301), whose id is its set.
            {301, "SLIME", ArtRgb(10, 24, 18), false}};
}

std::vector<BattleFigureSpec> SpiritBattleFigures() {
    return {{91, "METAL", ArtRgb(22, 22, 24), true}, {92, "WOOD", ArtRgb(8, 20, 8), true},
            {93, "WATER", ArtRgb(6, 12, 26), true},  {94, "FIRE", ArtRgb(26, 10, 4), true},
            {95, "EARTH", ArtRgb(20, 14, 6), true}};
}

TswEntryData MonsterPicture(const BattleFigureSpec& figure) {
    TswEntryData e;
    e.index = figure.set;
    AddBattlePoseFrames(&e, figure);
    return e;
}

std::vector<uint8_t> MonsterAct(const BattleFigureSpec& figure) {
    std::vector<ActStreamData> streams;
    AddBattlePoseStreams(&streams, figure, 0);
    return BuildActData(streams);
}

// ---- effects ----

const std::vector<EffectActSpec>& BattleEffectActs() {
    static const std::vector<EffectActSpec> kActs = {
        {kSampleSlashAct, "SLASH", ArtRgb(26, 26, 30)}, {kSampleSmashAct, "SMASH", ArtRgb(31, 20, 4)},
        {kSampleFireAct, "FIRE", ArtRgb(30, 10, 2)},    {kSampleRainAct, "RAIN", ArtRgb(6, 14, 30)},
        {kSampleHerbAct, "HERB", ArtRgb(8, 26, 8)},     {kSampleVenomAct, "VENOM", ArtRgb(18, 6, 24)},
        {kSampleNetAct, "NET", ArtRgb(22, 18, 10)},     {kSampleGrabAct, "GRAB", ArtRgb(24, 22, 6)},
        {kSampleFollowAct, "AFTER", ArtRgb(28, 14, 20)}, {kSampleSummonAct, "SUMMON", ArtRgb(6, 20, 24)},
        {kSampleClawAct, "CLAW", ArtRgb(26, 6, 6)},     {kSampleHexAct, "HEX", ArtRgb(14, 4, 20)},
        {kSampleRageAct, "RAGE", ArtRgb(31, 8, 8)},     {kSampleTriggerAct, "TRIGGER", ArtRgb(30, 26, 6)},
        // The acts the battle plays by their own numbers.
        {6071, "SPIRIT HEAL", ArtRgb(8, 28, 16)},       {6079, "REVERT", ArtRgb(20, 20, 28)},
        {6119, "TRANSFER", ArtRgb(28, 20, 26)},         {6142, "GATHER", ArtRgb(16, 20, 30)},
        {6251, "REFINE FLY", ArtRgb(26, 24, 12)},       {7051, "REVERT", ArtRgb(20, 20, 28)},
        {7211, "CAPTURE 1", ArtRgb(22, 18, 10)},        {7212, "CAPTURE 2", ArtRgb(22, 18, 10)},
        {7213, "CAPTURE 3", ArtRgb(22, 18, 10)},        {7303, "SKILL 33", ArtRgb(24, 12, 28)},
        {7318, "BURN", ArtRgb(30, 12, 2)},              {7319, "POISON", ArtRgb(18, 6, 24)},
        {7320, "FUSION", ArtRgb(30, 28, 12)},           {7322, "IMPACT", ArtRgb(28, 16, 6)},
        {8072, "AFTERGLOW", ArtRgb(20, 24, 30)},
    };
    return kActs;
}

namespace {

constexpr int kEffectSize = 64;

// Frame f of an effect: a ring that grows over the four frames in the
// effect's colour, labelled with its name (two lines when it has a space).
TswFrameData EffectFrame(const EffectActSpec& e, int f) {
    Canvas c(kEffectSize, kEffectSize, kArtKey);
    const int r = 10 + 6 * f;
    c.Disc(32, 32, std::min(r, 31), e.colour);
    if (r - 4 > 0) c.Disc(32, 32, std::min(r - 4, 27), Darker(e.colour, 6));
    std::string label = e.label, second;
    if (size_t sp = label.find(' '); sp != std::string::npos) second = label.substr(sp + 1), label = label.substr(0, sp);
    c.CentredText(second.empty() ? 28 : 22, label.substr(0, 10), 1, ArtRgb(31, 31, 31));
    if (!second.empty()) c.CentredText(32, second, 1, ArtRgb(31, 31, 31));
    c.Text(2, 56, Num(e.act), 1, ArtRgb(31, 31, 20));
    return c.Rle();
}

// A talking head of the script's sliding heads (act 6017, qq n = frame n).
const char* const kHeadLabels[8] = {"HERO", "MEI", "PAL", "LASS", "DUMMY", "BEAST", "THIEF", "GUARDIAN"};
const uint16_t kHeadColours[8] = {kArtHeroColour,     ArtRgb(28, 8, 18),  ArtRgb(10, 22, 10), ArtRgb(24, 20, 6),
                                  ArtRgb(26, 20, 10), ArtRgb(8, 20, 8),   ArtRgb(16, 8, 22),  ArtRgb(18, 18, 22)};

TswFrameData HeadFrame(int n) {
    Canvas c(96, 96, kHeadColours[n]);
    c.Frame(0, 0, 96, 96, ArtRgb(31, 31, 24));
    c.Disc(48, 44, 26, ArtRgb(29, 22, 16));
    c.Disc(38, 40, 3, ArtRgb(4, 4, 4));
    c.Disc(58, 40, 3, ArtRgb(4, 4, 4));
    c.Rect(40, 56, 56, 59, ArtRgb(20, 8, 8));
    c.CentredText(82, kHeadLabels[n], 1, ArtRgb(31, 31, 31));
    return c.Rle();
}

// The scene sprite: a lantern on a post, its flame in two frames.
TswFrameData LanternFrame(int f) {
    Canvas c(32, 64, kArtKey);
    c.Rect(14, 24, 18, 64, ArtRgb(12, 8, 4));
    c.Rect(8, 8, 24, 26, ArtRgb(24, 6, 4));
    c.Frame(8, 8, 24, 26, ArtRgb(8, 4, 2));
    c.Disc(16, 17, 3 + f, ArtRgb(31, 28, 8));
    c.CentredText(0, "LAMP", 1, ArtRgb(31, 31, 31));
    return c.Rle();
}

}  // namespace

std::vector<TswEntryData> BattleEffectPictures() {
    std::vector<TswEntryData> pictures;
    for (const EffectActSpec& e : BattleEffectActs()) {
        TswEntryData p;
        p.index = e.act % 3000;
        for (int f = 0; f < 4; ++f) p.frames.push_back(EffectFrame(e, f));
        pictures.push_back(std::move(p));
    }
    TswEntryData lantern{kSampleLanternAct % 3000, 16, {}, {LanternFrame(0), LanternFrame(1)}};
    TswEntryData heads{kSampleHeadAct % 3000, 16, {}, {}};
    for (int n = 0; n < 8; ++n) heads.frames.push_back(HeadFrame(n));
    pictures.push_back(std::move(lantern));
    pictures.push_back(std::move(heads));
    return pictures;
}

std::vector<PackEntryData> BattleEffectActData() {
    std::vector<PackEntryData> acts;
    for (const EffectActSpec& e : BattleEffectActs()) {
        // Drawn centred on its point; the hit on the third frame; once.
        const std::string text = "SD 3 XY 32 32 RF " + Num(e.act) + " PA 0 ED PA 1 ED PA 2 AT 1 ED PA 3 O2";
        acts.push_back({e.act % 3000, BuildActData(std::vector<ActStreamData>(kSampleActStreams, Stream(text)))});
    }
    // The lantern stands on its point and flickers for ever.
    acts.push_back({kSampleLanternAct % 3000,
                    BuildActData({Stream("SD 6 XY 16 64 RF " + Num(kSampleLanternAct) + " PA 0 ED PA 1 OV")})});
    std::vector<ActStreamData> heads;
    for (int n = 0; n < 8; ++n) heads.push_back(Stream("SD 8 RF " + Num(kSampleHeadAct) + " PA " + Num(n) + " OV"));
    acts.push_back({kSampleHeadAct % 3000, BuildActData(heads)});
    return acts;
}

// ---- backgrounds ----

TswEntryData BattleBackground(int n) {
    struct Look {
        const char* name;
        uint16_t sky, ground, mark;
    };
    static const Look kLooks[kSampleBackgroundCount] = {
        {"TRAINING YARD", ArtRgb(14, 20, 28), ArtRgb(20, 16, 9), ArtRgb(14, 10, 5)},
        {"WOODS", ArtRgb(8, 14, 12), ArtRgb(6, 14, 6), ArtRgb(3, 9, 3)},
        {"SHRINE", ArtRgb(10, 6, 16), ArtRgb(14, 13, 14), ArtRgb(9, 8, 10)},
    };
    const Look& l = kLooks[(n - 1) % kSampleBackgroundCount];
    Canvas c(640, 480, l.sky);
    // The ground from y 150; lines of depth where the roles stand; the HUD
    // covers the strip from y 384.
    c.Rect(0, 150, 640, 480, l.ground);
    for (int y = 170, step = 12; y < 384; y += step, step += 4) c.Rect(0, y, 640, y + 1, l.mark);
    for (int x = -320; x < 960; x += 80) c.Line(320 + (x - 320) / 4, 150, x, 384, l.mark);
    if (n == 2) {
        for (int x = 20; x < 640; x += 70) {
            c.Rect(x + 12, 60, x + 20, 150, ArtRgb(10, 7, 3));
            c.Disc(x + 16, 60, 26, ArtRgb(4, 12, 4));
        }
    } else if (n == 3) {
        c.Rect(250, 40, 390, 150, ArtRgb(20, 6, 6));
        c.Rect(230, 30, 410, 44, ArtRgb(8, 4, 4));
        c.Rect(300, 90, 340, 150, ArtRgb(3, 2, 4));
    } else {
        for (int x = 0; x < 640; x += 24) c.Rect(x, 110, x + 6, 150, ArtRgb(16, 11, 6));
        c.Rect(0, 118, 640, 122, ArtRgb(16, 11, 6));
    }
    // The label stands at the left: a background variant shifts the picture
    // right by 640 / variant (2..4) round the edge, and there it never splits.
    // It stands below the strip at the top where the battle shows the names
    // of actions.
    c.Text(8, 60, l.name, 3, ArtRgb(31, 31, 24));
    c.Text(8, 86, "BACKGROUND " + Num(15000 + n), 1, ArtRgb(31, 31, 24));
    TswEntryData e;
    e.index = n;  // picture 15000 + n: record n of the sixth pack
    e.frames.push_back(c.Rle());
    return e;
}

// ---- sounds ----

const std::vector<int>& BattleSoundIds() {
    // By number in battle/: the blocked hit (5), the turn ready and the next
    // page (44), the menus' open, step and refusal (45, 46, 140), the
    // retreat (47), the defeat (49), the volley (62), the guard's end (106),
    // the item throw (186), the opening (192), the tremble (235), a leaving
    // enemy (271), the skill's return (276), the theft failed and won (278,
    // 279), the stat step, level and victory (293, 299, 300), the ripple
    // (322), the new technique (352), the roulette's stop (407), the burst
    // and shake (553, 563), the vanish (667), the charge full (765); and the
    // sample acts' strike, cast and hurt.
    static const std::vector<int> kIds = {5,   44,  45,  46,  47,  49,  62,  106, 140, 186, 192, 235, 271, 276, 278,
                                          279, 293, 299, 300, 322, 352, 407, 553, 563, 667, 765,
                                          kSampleStrikeSound, kSampleCastSound, kSampleHurtSound};
    return kIds;
}
