// Records the pictures drawn while it lives (picture number and frame,
// point, flags, alpha and tints), so tests assert what is on screen without
// comparing frames. One recorder at a time; it removes itself when it goes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "draw/act_pack.h"

class DrawRecorder {
public:
    DrawRecorder() {
        calls_ = &calls;
        gDrawCallWatcher = &Record;
    }
    ~DrawRecorder() {
        gDrawCallWatcher = nullptr;
        calls_ = nullptr;
    }
    DrawRecorder(const DrawRecorder&) = delete;
    DrawRecorder& operator=(const DrawRecorder&) = delete;

    std::vector<DrawCallInfo> calls;

    void Clear() { calls.clear(); }
    // The draws of picture `number`, in order.
    std::vector<DrawCallInfo> Of(uint16_t number) const {
        std::vector<DrawCallInfo> out;
        for (const DrawCallInfo& c : calls)
            if (c.number == number) out.push_back(c);
        return out;
    }
    size_t Count(uint16_t number) const { return Of(number).size(); }
    // The frames of picture `number` as digits, left to right by x: the
    // digits a shown number put on screen ("0", "1005").
    std::string Digits(uint16_t number) const {
        std::vector<DrawCallInfo> d = Of(number);
        for (size_t i = 1; i < d.size(); ++i)
            for (size_t j = i; j > 0 && d[j - 1].x > d[j].x; --j) std::swap(d[j - 1], d[j]);
        std::string s;
        for (const DrawCallInfo& c : d) s += c.frame <= 9 ? char('0' + c.frame) : '?';
        return s;
    }

private:
    static inline std::vector<DrawCallInfo>* calls_ = nullptr;
    static void Record(const DrawCallInfo& call) {
        if (calls_) calls_->push_back(call);
    }
};
