// The menu fills on a small surface with guard bands, the gauge fill, and
// the list routines.
#include "menu_fixture.h"

#include "draw/pixel_format.h"
#include "world/party/item_list.h"

namespace {

constexpr int kW = 12, kH = 8;

class MenuFillTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        gBackBuffer = CreateSurface(kW, kH);
        ASSERT_NE(gBackBuffer, nullptr);
        gClip = ClipRect{0, 0, kW, kH};
        Fill(Pixel(16, 8, 4));
    }
    static uint16_t Pixel(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }
    static void Fill(uint16_t v) {
        for (int i = 0; i < kW * kH; ++i) gBackBuffer->pixels[i] = v;
    }
    static uint16_t At(int x, int y) { return gBackBuffer->pixels[y * kW + x]; }
    // Every pixel outside the rectangle is still the fill.
    static void ExpectGuards(int x, int y, int w, int h, uint16_t fill) {
        for (int py = 0; py < kH; ++py)
            for (int px = 0; px < kW; ++px)
                if (px < x || px >= x + w || py < y || py >= y + h) {
                    ASSERT_EQ(At(px, py), fill) << px << "," << py;
                }
    }
};

TEST_F(MenuFillTest, ModesOnAnOddWidthReachTheLastColumn) {
    const uint16_t fill = Pixel(16, 8, 4);
    const struct {
        int mode;
        int r, g, b;
        uint16_t expect;
    } cases[] = {
        {kFillTint, 0, 0, 0, Pixel(8 + 2 + 1, 4 + 1, 2)},
        {kFillTint, 31, 31, 31, Pixel(11 + 7, 5 + 7, 2 + 7)},
        {kFillAdd, 4, -4, -8, Pixel(20, 4, 0)},   // signed, each field saturating
        {kFillQuarter, 0, 0, 0, Pixel(4, 2, 1)},
        {kFillGrey, 0, 0, 0, Pixel(9, 9, 9)},
        {kFillEighth, 0, 0, 0, Pixel(2, 1, 0)},
    };
    for (const auto& c : cases) {
        Fill(fill);
        FillMenuRect(2, 1, 5, 3, c.r, c.g, c.b, c.mode);
        for (int y = 1; y < 4; ++y)
            for (int x = 2; x < 7; ++x) ASSERT_EQ(At(x, y), c.expect) << "mode " << c.mode << " at " << x << "," << y;
        ExpectGuards(2, 1, 5, 3, fill);
    }
    // Modes outside 0..5 draw nothing.
    Fill(fill);
    FillMenuRect(0, 0, kW, kH, 31, 31, 31, 6);
    FillMenuRect(0, 0, kW, kH, 31, 31, 31, -1);
    ExpectGuards(0, 0, 0, 0, fill);
}

TEST_F(MenuFillTest, GradientIsBrightestAtTheMiddleAndUnchangedAtTheEdges) {
    Fill(0);
    FillMenuRect(0, 1, kW, 5, 8, 8, 8, kFillGradient);
    // Rows 1..5: steps 0, 1, 2 of 3 from the edges inwards.
    EXPECT_EQ(At(3, 1), 0);
    EXPECT_EQ(At(3, 5), 0);
    EXPECT_EQ(At(3, 2), Pixel(2, 2, 2));
    EXPECT_EQ(At(3, 4), Pixel(2, 2, 2));
    EXPECT_EQ(At(3, 3), Pixel(5, 5, 5));
    ExpectGuards(0, 1, kW, 5, 0);
}

TEST_F(MenuFillTest, ClipAndSurfaceHoldTheFill) {
    const uint16_t fill = Pixel(16, 8, 4);
    gClip = ClipRect{2, 2, 4, 3};
    FillMenuRect(-100, -100, 1000, 1000, 0, 0, 0, kFillQuarter);
    ExpectGuards(2, 2, 4, 3, fill);
    EXPECT_NE(At(2, 2), fill);
    // Widths that would overflow are held by the surface.
    gClip = ClipRect{0, 0, kW, kH};
    FillMenuRect(kW - 1, 0, 0x7FFFFFFF, 1, 0, 0, 0, kFillQuarter);
    EXPECT_NE(At(kW - 1, 0), fill);
}

TEST(MenuGauge, FillNeverDividesByZeroAndStaysInItsWidth) {
    const struct {
        int current, maximum, width;
    } cases[] = {{50, 100, 39}, {0, 0, 0}, {10, 0, 0}, {10, -5, 0}, {200, 100, 79}, {-3, 100, 0}, {99, 100, 78}};
    for (const auto& c : cases) EXPECT_EQ(BarFillWidth(c.current, c.maximum, 79), c.width) << c.current << "/" << c.maximum;
}

TEST(MenuLists, CursorRoutines) {
    struct Case {
        const char* name;
        ListState before;
        void (*op)(ListState*);
        ListState after;
    };
    const Case cases[] = {
        {"down inside", {10, 0, 2, 5}, ListCursorDown, {10, 0, 3, 5}},
        {"down scrolls", {10, 0, 4, 5}, ListCursorDown, {10, 1, 4, 5}},
        {"down at end", {5, 0, 4, 5}, ListCursorDown, {5, 0, 4, 5}},
        {"up inside", {10, 3, 2, 5}, ListCursorUp, {10, 3, 1, 5}},
        {"up scrolls", {10, 3, 0, 5}, ListCursorUp, {10, 2, 0, 5}},
        {"up at top", {10, 0, 0, 5}, ListCursorUp, {10, 0, 0, 5}},
        {"page down to last row", {20, 0, 1, 5}, [](ListState* s) { ListPageDown(s, 5); }, {20, 0, 4, 5}},
        {"page down a page", {20, 0, 4, 5}, [](ListState* s) { ListPageDown(s, 5); }, {20, 5, 4, 5}},
        {"page down held at end", {12, 5, 4, 5}, [](ListState* s) { ListPageDown(s, 5); }, {12, 7, 4, 5}},
        {"page down short list", {3, 0, 2, 3}, [](ListState* s) { ListPageDown(s, 5); }, {3, 0, 2, 3}},
        {"page up to row 0", {20, 5, 3, 5}, [](ListState* s) { ListPageUp(s, 5); }, {20, 5, 0, 5}},
        {"page up a page", {20, 7, 0, 5}, [](ListState* s) { ListPageUp(s, 5); }, {20, 2, 0, 5}},
        {"page up held at 0", {20, 2, 0, 5}, [](ListState* s) { ListPageUp(s, 5); }, {20, 0, 0, 5}},
    };
    for (const Case& c : cases) {
        ListState s = c.before;
        c.op(&s);
        EXPECT_EQ(s.top, c.after.top) << c.name;
        EXPECT_EQ(s.cursor, c.after.cursor) << c.name;
        EXPECT_EQ(s.shown, c.after.shown) << c.name;
    }
}

TEST_F(MenuTest, AnEmptyListShowsThePlaceholderRow) {
    ItemRecord* list = nullptr;
    ListState s{0, 3, 2, 0};
    ItemRecord* top = ListRefresh(&s, 5, &list);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->id, kPlaceholderItem);
    EXPECT_EQ(s.total, 1);
    EXPECT_EQ(s.top, 0);
    EXPECT_EQ(s.cursor, 0);
    EXPECT_EQ(s.shown, 1);
    EXPECT_STREQ(gItemNameBuf, kPlaceholderName);
    EXPECT_EQ(ListCount(list), 1);
    EXPECT_EQ(ListNth(list, 1), nullptr);
    FreeItemList(&list);
    // No record: an empty name.
    EXPECT_STREQ(ItemName(nullptr), "");
}

} // namespace

namespace {

// Without picture packs every menu act is missing: each is told once, not
// once a frame, and the menu goes on drawing and presenting.
TEST_F(MenuTest, MissingActsAreToldOnceAcrossFrames) {
    gBackBuffer = CreateSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    RegisterMenuPages();
    InitMenu();
    gMenuRequest = 0x80000003u;
    MenuFrame();
    const size_t afterFirst = HeadlessMessageBoxes().size();
    for (int i = 0; i < 20; ++i) MenuFrame();
    EXPECT_EQ(HeadlessMessageBoxes().size(), afterFirst);
    EXPECT_EQ(gMenu.depth, kDepthTitle);
    // The scroll bar's track and thumb: one box each, however often drawn.
    const size_t beforeBar = HeadlessMessageBoxes().size();
    for (int i = 0; i < 5; ++i) DrawBar(600, 100, 300, 0, 0.0f, 0.5f);
    EXPECT_LE(HeadlessMessageBoxes().size(), beforeBar + 4);
    const size_t afterBar = HeadlessMessageBoxes().size();
    DrawBar(600, 100, 300, 3, 0.2f, 0.4f);
    EXPECT_LE(HeadlessMessageBoxes().size(), afterBar + 2); // only the lit caps are new
    // The root menu over the map with three members draws its panel.
    for (int f = 30; f <= 32; ++f) SetFlag(f);
    gMenuRequest = 0x80000001u;
    for (int i = 0; i < 3; ++i) MenuFrame();
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_EQ(gMenuRequest, 1u);
}

} // namespace
