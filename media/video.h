// Full-screen videos started by the story. While one plays the main loop
// calls ServiceVideo instead of the game frame; each call shows the next
// frame when it is due, until the video ends or the player presses Esc.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct PlatVideo;

// The two bytes that end a video name in a talk script (the word 0x5125).
constexpr uint8_t kVideoNameEnd0 = 0x25;
constexpr uint8_t kVideoNameEnd1 = 0x51;
constexpr size_t kVideoPathMax = 1024;
constexpr int kVideoVolume = 100;
constexpr int kVideoWidth = 640;
constexpr int kVideoHeight = 480;

class cVideoPlayer {
public:
    cVideoPlayer() = default;
    ~cVideoPlayer() { CloseVideo(); }
    cVideoPlayer(const cVideoPlayer&) = delete;
    cVideoPlayer& operator=(const cVideoPlayer&) = delete;

    // flags and window are not used. Returns 0.
    int OpenVideo(const char* path, uint32_t flags, int volume, void* window);
    // Shows the next frame into height rows of destination from (x, y);
    // 1 when more frames follow, -1 after the last.
    int ShowVideoFrame(uint16_t* destination, int pitch, int height, int x, int y);
    bool VideoMustWait() const;
    // The frame shown last; negated once past the end; -1 without a video.
    int GetFrame() const;
    int CloseVideo();

    bool IsOpen() const { return handle_ != nullptr; }
    int FrameCount() const { return frameCount_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    const char* LastError() const { return lastError_.c_str(); }

private:
    PlatVideo* handle_ = nullptr;
    int frameCount_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool ended_ = false;
    std::string lastError_;
};

extern cVideoPlayer* gVideo;
// Pixel layout of the frames (the screen's), set at start-up.
extern uint32_t gVideoCopyFlags;
// Pitch of the surface the frames go to, read when a video starts.
extern uint32_t gVideoPitch;

// Start-up: remembers the screen's pixel layout for the frames. The video's
// sound always goes through the effects' output.
void SetupVideoSound(void* primary, int directSound, uint32_t driver);

// The play-video instruction. window holds the running script's bytes;
// *position is the instruction's opcode word within it. The name follows the
// opcode and ends with the two bytes 0x25 0x51. Moves *position and *length
// past the instruction and starts the video. Returns true.
bool PlayVideoCommand(const uint8_t* window, size_t windowSize, uint32_t* position, uint32_t* length);
// The path a video name is played from, by the install kind.
std::string VideoPath(const char* name, size_t nameLength);

void ServiceVideo();
void StopVideo();
int GetVideoFrame();
bool SetVideoCue(int a, int b);

// Back to the state before start-up (tests).
void ResetVideo();
