// Records the sound effects heard while it lives: id, volume and pan. A pan
// set after a play (the battle's acts play, then pan by screen half) is
// written into the newest play of that id. One recorder at a time.
#pragma once
#include <vector>

#include "media/sound_bank.h"

struct HeardSound {
    int id;
    int volume;  // the level 0..11 of PlaySfx, the volume 0..127 of PlaySfxAt
    int pan;     // -63..64 as set, 0 when none was set
};

class SoundRecorder {
public:
    SoundRecorder() {
        sounds_ = &sounds;
        gSfxWatcher = &Record;
    }
    ~SoundRecorder() {
        gSfxWatcher = nullptr;
        sounds_ = nullptr;
    }
    SoundRecorder(const SoundRecorder&) = delete;
    SoundRecorder& operator=(const SoundRecorder&) = delete;

    std::vector<HeardSound> sounds;

    void Clear() { sounds.clear(); }
    int Count(int id) const {
        int n = 0;
        for (const HeardSound& s : sounds) n += s.id == id;
        return n;
    }
    // The newest play of id, or null.
    const HeardSound* Last(int id) const {
        for (auto it = sounds.rbegin(); it != sounds.rend(); ++it)
            if (it->id == id) return &*it;
        return nullptr;
    }

private:
    static inline std::vector<HeardSound>* sounds_ = nullptr;
    static void Record(int id, int volume, int pan, SfxEvent event) {
        if (!sounds_) return;
        if (event == kSfxPanned) {
            for (auto it = sounds_->rbegin(); it != sounds_->rend(); ++it)
                if (it->id == id) {
                    it->pan = pan;
                    return;
                }
            return;
        }
        sounds_->push_back({id, volume, pan});
    }
};
