// How far the process's peak resident memory rose while a call ran, for the
// tests that a reader makes no room from a size its file claims before
// checking it: room that is zero-filled is resident at once. The peak is
// reset through /proc/self/clear_refs first.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

inline uint64_t PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10);
    return 0;
}

// The rise of the peak in KB while call() ran.
template <typename Call>
uint64_t PeakGrowthKb(Call call) {
    { std::ofstream("/proc/self/clear_refs") << "5"; }
    const uint64_t before = PeakResidentKb();
    call();
    const uint64_t after = PeakResidentKb();
    return after > before ? after - before : 0;
}

// Room that a test allows a refused input to take.
constexpr uint64_t kRefusedInputKb = 16 * 1024;
