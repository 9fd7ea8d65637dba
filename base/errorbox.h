// Error boxes, the trace sink and the B-spline curve helpers.
//
// ErrorBox reports a data or script error and play goes on. The maintenance
// box reports an internal error with its source file and line; Abort there
// asks the shell to close the window through gRequestClose. Traces are
// single lines for the maintainer (standard error in play, recorded in
// tests); there is no log file.
#pragma once
#include <cstdint>

// Set by the shell; called when the player chooses Abort in a maintenance box.
using RequestCloseFn = void (*)();
extern RequestCloseFn gRequestClose;

// printf-style text in a box with an OK button; returns the box's result.
int ErrorBox(const char* caption, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Internal error: error = format applied to value; the box names the source
// file (gEdition.sourceRoot + module) and the line. Returns 1 for Ignore,
// 0 for Abort (the window is asked to close) and Retry (play goes on).
int MaintenanceErrorBox(const char* format, int value, const char* module, unsigned line);

// printf-style trace line; never a box.
void TraceHook(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Puts the hook and the box buffers back to their start-up state.
void ResetErrorBoxes();

// Uniform cubic B-spline: rows for t^3, t^2, t and 1.
extern const float gBSplineBasis[16];

struct CurvePoint2 {
    float x;
    float y;
};

// out = v (a row vector) times the 4x4 matrix m (row by row).
void ApplyCurveMatrix(float out[4], const float v[4], const float m[16]);
// The four weights of parameter t in 0..1.
void CurvePoint(float t, const float m[16], float weights[4]);
// Weighted sum of four control points.
void CurveCoef(const float weights[4], const CurvePoint2* points, CurvePoint2* out);
// Point at parameter u >= 0; needs control points floor(u) .. floor(u) + 3.
void EvalCurve(float u, const CurvePoint2* points, CurvePoint2* out);
