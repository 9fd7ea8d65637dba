// The video player: one video at a time, its frames drawn into the back
// buffer and presented, paced by the video's own time stamps.
#include "media/video.h"

#include <cstring>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "draw/display.h"
#include "draw/surface.h"
#include "media/sound_bank.h"
#include "platform/plat_audio.h"
#include "platform/plat_clock.h"
#include "platform/plat_video.h"

cVideoPlayer* gVideo = nullptr;
uint32_t gVideoCopyFlags = 0;
uint32_t gVideoPitch = 0;

namespace {
constexpr const char* kDiscVideoFolder = "kyv3e\\Video\\";
constexpr const char* kInstallVideoFolder = "Video\\";

struct VideoKeys {
    bool escDown = false; // Esc was down at the last look
};
VideoKeys gVideoKeys;

// True once Esc, pressed during the video, is let go (the key acts on
// release, so the game never sees it held when it resumes).
bool EscReleased() {
    gInput.ReadKeyboard();
    bool down = gInput.IsKeyDown(kScanEsc) != 0;
    bool released = gVideoKeys.escDown && !down;
    gVideoKeys.escDown = down;
    return released;
}
} // namespace

int cVideoPlayer::OpenVideo(const char* path, uint32_t flags, int volume, void* window) {
    if (!path) return 0;
    CloseVideo();
    handle_ = PlatVideoOpen(path, ClampVolume(volume));
    if (!handle_) {
        lastError_ = PlatAudioLastError();
        return 0;
    }
    frameCount_ = PlatVideoFrameCount(handle_);
    width_ = PlatVideoWidth(handle_);
    height_ = PlatVideoHeight(handle_);
    ended_ = false;
    return 0;
}

int cVideoPlayer::ShowVideoFrame(uint16_t* destination, int pitch, int height, int x, int y) {
    if (!handle_) return -1;
    uint16_t* target = destination;
    // Never wider than the target's rows, so a wide video cannot overrun them.
    int width = (pitch / 2 < kVideoWidth ? pitch / 2 : kVideoWidth) - x;
    if (destination && (width <= 0 || height - y <= 0)) return -1;
    if (destination) {
        target = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(destination) + ptrdiff_t(y) * pitch) + x;
    }
    int result = PlatVideoShowFrame(handle_, target, pitch, width, height - y,
                                    static_cast<PlatPixelLayout>(gVideoCopyFlags));
    frameCount_ = PlatVideoFrameCount(handle_);
    if (result < 1) ended_ = true;
    return result < 1 ? -1 : 1;
}

bool cVideoPlayer::VideoMustWait() const { return handle_ && PlatVideoMustWait(handle_); }

int cVideoPlayer::GetFrame() const {
    if (!handle_) return -1;
    int frame = PlatVideoCurrentFrame(handle_);
    return ended_ ? -frame : frame;
}

int cVideoPlayer::CloseVideo() {
    if (!handle_) return 0;
    PlatVideoClose(handle_);
    handle_ = nullptr;
    return 1;
}

void SetupVideoSound(void* primary, int directSound, uint32_t driver) {
    gVideoCopyFlags = gDisplay.PixelFormatCode();
}

std::string VideoPath(const char* name, size_t nameLength) {
    return MediaPath(kDiscVideoFolder, kInstallVideoFolder, name, nameLength);
}

bool PlayVideoCommand(const uint8_t* window, size_t windowSize, uint32_t* position, uint32_t* length) {
    *length += 2;
    *position += 2;
    // The name runs to its end mark, which must lie inside the script.
    size_t start = *position;
    size_t end = start;
    while (end + 1 < windowSize && !(window[end] == kVideoNameEnd0 && window[end + 1] == kVideoNameEnd1)) ++end;
    if (start > windowSize || end + 1 >= windowSize) {
        size_t rest = start < windowSize ? windowSize - start : 0;
        *position += static_cast<uint32_t>(rest);
        *length += static_cast<uint32_t>(rest);
        ErrorBox("Video", "The video name at %u has no end mark.", static_cast<unsigned>(start));
        return true;
    }
    size_t nameLength = end - start;
    *position += static_cast<uint32_t>(nameLength + 2);
    *length += static_cast<uint32_t>(nameLength + 2);
    std::string path = VideoPath(reinterpret_cast<const char*>(window + start), nameLength);
    if (path.size() >= kVideoPathMax) {
        ErrorBox("Video", "The video name at %u is too long.", static_cast<unsigned>(start));
        return true;
    }
    if (gVideo) StopVideo();
    gVideo = new cVideoPlayer;
    gVideo->OpenVideo(path.c_str(), 0, kVideoVolume, nullptr);
    gGameMode |= kModeVideo;
    gVideoKeys = VideoKeys{};
    uint32_t height = 0;
    gDisplay.GetPrimarySize(&gVideoPitch, &height);
    // Round the frame with black: a smaller video leaves the rest of the
    // screen dark rather than showing the map behind it.
    if (gBackBuffer && gBackBuffer->pixels) {
        std::memset(gBackBuffer->pixels, 0, size_t(gBackBuffer->pitch) * size_t(gBackBuffer->height));
    }
    return true;
}

void ServiceVideo() {
    if (!gVideo) return;
    if (!gVideo->IsOpen() || EscReleased()) {
        StopVideo();
        return;
    }
    if (gVideo->VideoMustWait()) {
        PlatSleep(0);
        return;
    }
    uint16_t* pixels = nullptr;
    int pitch = 0;
    int result = -1;
    if (gBackBuffer && LockSurface(gBackBuffer, &pixels, &pitch)) {
        result = gVideo->ShowVideoFrame(pixels, pitch, gBackBuffer->height < kVideoHeight ? gBackBuffer->height
                                                                                         : kVideoHeight,
                                        0, 0);
        UnlockSurface(gBackBuffer);
        gDisplay.Blt(gBackBuffer);
    } else {
        result = gVideo->ShowVideoFrame(nullptr, 0, kVideoHeight, 0, 0);
    }
    if (result < 1) StopVideo();
}

void StopVideo() {
    if (gVideo) {
        gVideo->CloseVideo();
        delete gVideo;
        gVideo = nullptr;
    }
    if ((gGameMode & kModeQuit) && gRequestClose) gRequestClose();
    gGameMode &= ~kModeVideo;
}

int GetVideoFrame() { return gVideo ? gVideo->GetFrame() : -1; }

bool SetVideoCue(int a, int b) { return gVideo && gVideo->IsOpen(); }

void ResetVideo() {
    if (gVideo) {
        delete gVideo;
        gVideo = nullptr;
    }
    gVideoCopyFlags = 0;
    gVideoPitch = 0;
    gVideoKeys = VideoKeys{};
}
