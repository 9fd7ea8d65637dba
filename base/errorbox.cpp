#include "base/errorbox.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/edition.h"
#include "platform/plat_system.h"

namespace {

void NoClose() {}

// Each box formats into its own buffer and shows it at once.
struct ErrorBoxBuffers {
    char errorText[1024];
    char maintenanceError[512];
    char maintenanceText[1024];
};
ErrorBoxBuffers gBoxText;

// "\n檔案: %s\n行數: 第%u行\n錯誤: %s"
constexpr const char kMaintenanceFormat[] =
    "\n\xC0\xC9\xAE\xD7: %s\n\xA6\xE6\xBC\xC6: \xB2\xC4%u\xA6\xE6\n\xBF\xF9\xBB\x7E: %s";
// "維護錯誤"
constexpr const char kMaintenanceCaption[] = "\xBA\xFB\xC5\x40\xBF\xF9\xBB\x7E";

} // namespace

RequestCloseFn gRequestClose = NoClose;

int ErrorBox(const char* caption, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(gBoxText.errorText, sizeof gBoxText.errorText, format ? format : "", args);
    va_end(args);
    return PlatMessageBox(gBoxText.errorText, caption ? caption : "", kMsgButtonsOk);
}

int MaintenanceErrorBox(const char* format, int value, const char* module, unsigned line) {
    char path[256];
    std::snprintf(path, sizeof path, "%s%s", gEdition.sourceRoot ? gEdition.sourceRoot : "",
                  module ? module : "");
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
    std::snprintf(gBoxText.maintenanceError, sizeof gBoxText.maintenanceError, format ? format : "", value);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    std::snprintf(gBoxText.maintenanceText, sizeof gBoxText.maintenanceText, kMaintenanceFormat, path, line,
                  gBoxText.maintenanceError);
    const int result = PlatMessageBox(gBoxText.maintenanceText, kMaintenanceCaption,
                                      kMsgButtonsAbortRetryIgnore | kMsgIconError);
    if (result == kMsgResultAbort) {
        if (gRequestClose) gRequestClose();
        return 0;
    }
    // Retry could only break into a debugger; without one play goes on.
    return result == kMsgResultIgnore ? 1 : 0;
}

void TraceHook(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format ? format : "", args);
    va_end(args);
    PlatTrace(line);
}

void ResetErrorBoxes() {
    gRequestClose = NoClose;
    std::memset(&gBoxText, 0, sizeof gBoxText);
}

const float gBSplineBasis[16] = {
    -1.0f / 6.0f, 0.5f,  -0.5f, 1.0f / 6.0f,  //
    0.5f,         -1.0f, 0.5f,  0.0f,         //
    -0.5f,        0.0f,  0.5f,  0.0f,         //
    1.0f / 6.0f,  2.0f / 3.0f, 1.0f / 6.0f, 0.0f,
};

void ApplyCurveMatrix(float out[4], const float v[4], const float m[16]) {
    for (int i = 0; i < 4; ++i) out[i] = v[0] * m[i] + v[1] * m[4 + i] + v[2] * m[8 + i] + v[3] * m[12 + i];
}

void CurvePoint(float t, const float m[16], float weights[4]) {
    const float v[4] = {t * t * t, t * t, t, 1.0f};
    ApplyCurveMatrix(weights, v, m);
}

void CurveCoef(const float weights[4], const CurvePoint2* points, CurvePoint2* out) {
    float x = 0.0f;
    float y = 0.0f;
    for (int k = 0; k < 4; ++k) {
        x += weights[k] * points[k].x;
        y += weights[k] * points[k].y;
    }
    out->x = x;
    out->y = y;
}

void EvalCurve(float u, const CurvePoint2* points, CurvePoint2* out) {
    const float i = std::floor(u);
    float weights[4];
    CurvePoint(u - i, gBSplineBasis, weights);
    CurveCoef(weights, points + static_cast<int>(i), out);
}
