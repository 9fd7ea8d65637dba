#include "base/errorbox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/edition.h"
#include "platform/headless/headless.h"
#include "platform/plat_system.h"

namespace {

int gCloseRequests = 0;
void CountClose() { ++gCloseRequests; }

class ErrorBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        gCloseRequests = 0;
    }
    void TearDown() override { ResetErrorBoxes(); }
};

TEST_F(ErrorBoxTest, IsRecordedAndPlayGoesOn) {
    EXPECT_EQ(ErrorBox("Act Err(Talk:Rmlock)", "GUID(%d) %s", 12, "x"), kMsgResultOk);
    EXPECT_EQ(ErrorBox("cap", "100%% plain"), kMsgResultOk);
    const auto& boxes = HeadlessMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Act Err(Talk:Rmlock)");
    EXPECT_EQ(boxes[0].text, "GUID(12) x");
    EXPECT_EQ(boxes[0].style, kMsgButtonsOk);
}

TEST_F(ErrorBoxTest, FormatWithoutPlaceholdersIsShownUnchanged) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-security"
    ErrorBox("!!! \xAA\x60\xB7\x4E !!!", "\xBF\xF9\xBB\x7E text");
#pragma GCC diagnostic pop
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].text, "\xBF\xF9\xBB\x7E text");
}

TEST_F(ErrorBoxTest, MaintenanceBoxNamesFileAndLine) {
    gRequestClose = CountClose;
    HeadlessQueueMessageBoxAnswer(kMsgResultIgnore);
    EXPECT_EQ(MaintenanceErrorBox("bad index %d", 7, "org", 42), 1);
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    const HeadlessMessageBox& box = HeadlessMessageBoxes()[0];
    const std::string want = std::string("\n\xC0\xC9\xAE\xD7: ") + gEdition.sourceRoot +
                             "org\n\xA6\xE6\xBC\xC6: \xB2\xC4" "42\xA6\xE6\n\xBF\xF9\xBB\x7E: bad index 7";
    EXPECT_EQ(box.text, want);
    EXPECT_EQ(box.caption, "\xBA\xFB\xC5\x40\xBF\xF9\xBB\x7E");
    EXPECT_EQ(box.style, uint32_t(kMsgButtonsAbortRetryIgnore | kMsgIconError));
    EXPECT_EQ(gCloseRequests, 0);
}

TEST_F(ErrorBoxTest, MaintenanceAnswers) {
    gRequestClose = CountClose;
    struct Case {
        int answer;
        int result;
        int closes;
    } cases[] = {{kMsgResultAbort, 0, 1}, {kMsgResultRetry, 0, 0}, {kMsgResultIgnore, 1, 0}};
    for (const Case& c : cases) {
        gCloseRequests = 0;
        HeadlessQueueMessageBoxAnswer(c.answer);
        EXPECT_EQ(MaintenanceErrorBox("e %d", 1, "role", 1), c.result) << c.answer;
        EXPECT_EQ(gCloseRequests, c.closes) << c.answer;
    }
}

TEST_F(ErrorBoxTest, AbortWithoutShellHookIsHarmless) {
    HeadlessQueueMessageBoxAnswer(kMsgResultAbort);
    EXPECT_EQ(MaintenanceErrorBox("e", 0, "role", 1), 0);
}

TEST_F(ErrorBoxTest, TracesGoToTheTraceWithoutABox) {
    TraceHook("LoadPic fail %d", 3);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ASSERT_EQ(HeadlessTraces().size(), 1u);
    EXPECT_EQ(HeadlessTraces()[0], "LoadPic fail 3");
}

TEST(Curve, WeightsAddUpToOne) {
    for (int i = 0; i <= 20; ++i) {
        float w[4];
        CurvePoint(i / 20.0f, gBSplineBasis, w);
        EXPECT_NEAR(w[0] + w[1] + w[2] + w[3], 1.0f, 1e-5f) << i;
    }
}

TEST(Curve, SegmentEndsAreKnotAverages) {
    const CurvePoint2 p[] = {{0, 0}, {6, 12}, {12, -6}, {30, 60}, {-6, 6}, {3, 9}}; // u = 2 reads p[2..5]
    struct Case {
        float u;
        int i;
    } cases[] = {{0.0f, 0}, {1.0f, 1}, {2.0f, 2}};
    for (const Case& c : cases) {
        CurvePoint2 out;
        EvalCurve(c.u, p, &out);
        EXPECT_NEAR(out.x, (p[c.i].x + 4 * p[c.i + 1].x + p[c.i + 2].x) / 6, 1e-4f) << c.u;
        EXPECT_NEAR(out.y, (p[c.i].y + 4 * p[c.i + 1].y + p[c.i + 2].y) / 6, 1e-4f) << c.u;
    }
}

TEST(Curve, MatrixTimesRowVector) {
    float m[16];
    for (int i = 0; i < 16; ++i) m[i] = float(i);
    const float v[4] = {1, 0, 0, 2};
    float out[4];
    ApplyCurveMatrix(out, v, m);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(out[i], m[i] + 2 * m[12 + i]);
}

} // namespace
