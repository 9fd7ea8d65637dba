// A small back buffer for the fuzz targets that draw: the kernel set up on a
// surface in one pixel layout, the whole surface as the clip, and the
// picture and animation packs closed and emptied, so each input starts from
// the same state.
#pragma once
#include <cstdint>
#include <string>

#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "fuzz/support/fuzz_support.h"

class FuzzDrawTarget {
public:
    static constexpr int kWidth = 96;
    static constexpr int kHeight = 64;

    // layout: one of the four pixel layouts (taken modulo 4).
    explicit FuzzDrawTarget(int layout) {
        FuzzResetPlatform();
        ResetSettings();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetTswPacks();
        ResetActPacks();
        CopyFolderText(gInstallPath, FuzzFolder().c_str());
        surface_ = CreateSurface(kWidth, kHeight);
        InitDrawKernel(surface_, layout & 3);
        gBackPixels = LockBackBuffer(surface_);
    }
    ~FuzzDrawTarget() {
        UnlockBackBuffer(surface_, gBackPixels);
        FreeSurface(surface_);
        ResetTswPacks();
        ResetActPacks();
        ResetDrawKernel();
        ResetPixelFormat();
    }
    FuzzDrawTarget(const FuzzDrawTarget&) = delete;
    FuzzDrawTarget& operator=(const FuzzDrawTarget&) = delete;

    // Opens the picture packs of the scratch folder (after the layout is set,
    // as the game does).
    static void OpenPacks() {
        const std::string& folder = FuzzFolder();
        MakePackPath(folder.substr(0, folder.size() - 1).c_str());
        OpenTswPacks();
    }

private:
    Surface* surface_;
};
