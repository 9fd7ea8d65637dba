#include "platform/posix/media_library.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace {

struct Loaded {
    std::once_flag once;
    MediaLibrary functions;
    std::string error;
    std::atomic<bool> ok{false};
};
Loaded gMedia;

#define KYV_TEXT(x) #x
#define KYV_SONAME(lib, major) "lib" lib ".so." KYV_TEXT(major)

// In the order they stand on each other, so each finds the ones before it.
constexpr const char* kLibraries[] = {
    KYV_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR),       KYV_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR),
    KYV_SONAME("swscale", LIBSWSCALE_VERSION_MAJOR),     KYV_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR),
    KYV_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR),
};
constexpr int kLibraryCount = sizeof kLibraries / sizeof kLibraries[0];

void Close(void* const* handles) {
    for (int i = kLibraryCount - 1; i >= 0; --i)
        if (handles[i]) dlclose(handles[i]);
}

void Load() {
    void* handles[kLibraryCount] = {};
    for (int i = 0; i < kLibraryCount; ++i) {
        handles[i] = dlopen(kLibraries[i], RTLD_NOW | RTLD_LOCAL);
        if (!handles[i]) {
            const char* reason = dlerror();
            gMedia.error = std::string("the media library cannot be loaded: ") + (reason ? reason : kLibraries[i]);
            return Close(handles);
        }
    }
    auto find = [&handles](const char* name) -> void* {
        for (void* h : handles)
            if (void* f = dlsym(h, name)) return f;
        return nullptr;
    };
    MediaLibrary& m = gMedia.functions;
#define KYV_MEDIA_FIND(name)                                                                  \
    m.name = reinterpret_cast<decltype(m.name)>(find(#name));                                  \
    if (!m.name) {                                                                             \
        gMedia.error = "the media library lacks " #name;                                       \
        m = MediaLibrary{};                                                                    \
        return Close(handles);                                                                 \
    }
    KYV_MEDIA_FUNCTIONS(KYV_MEDIA_FIND)
#undef KYV_MEDIA_FIND
    // The libraries stay loaded for the rest of the run.
    gMedia.ok = true;
}

} // namespace

bool LoadMediaLibrary() {
    std::call_once(gMedia.once, Load);
    return gMedia.ok;
}

const std::string& MediaLibraryError() { return gMedia.error; }

bool MediaLibraryLoaded() { return gMedia.ok; }

const MediaLibrary& Av() { return gMedia.functions; }
