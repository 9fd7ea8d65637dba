// What every fuzz target shares. A target is one file fuzz/<name>_fuzz.cpp
// that defines LLVMFuzzerTestOneInput and WriteFuzzSeeds; the support object
// linked beside it gives the fuzzer its start-up (seeds on request) and the
// replay driver of the normal builds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Defined by each target: writes a few seed inputs into dir (which exists),
// made with the project's writers.
void WriteFuzzSeeds(const std::string& dir);

// Writes one seed file dir/name.
void WriteFuzzSeed(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes);
// head followed by tail: the head of options most targets put before a file.
std::vector<uint8_t> FuzzJoin(std::vector<uint8_t> head, const uint8_t* tail, size_t tailSize);
inline std::vector<uint8_t> FuzzJoin(std::vector<uint8_t> head, const std::vector<uint8_t>& tail) {
    return FuzzJoin(std::move(head), tail.data(), tail.size());
}

// The same with one leading byte of the target's own (options) before a
// file's bytes; nothing when the file is empty (its writer failed).
void WriteFuzzSeed(const std::string& dir, const std::string& name, uint8_t first, const std::vector<uint8_t>& bytes);

// A scratch folder of this process, ending in '/', made on first use and
// removed when the process ends.
const std::string& FuzzFolder();
// Writes the input as FuzzFolder() + name (a game path: '\\' may separate
// folders, which are made); returns the path. Empty on failure.
std::string PutFuzzFile(const char* name, const uint8_t* data, size_t size);

// The headless back-end back at its start (boxes, clock, display, audio):
// targets call it before each input so nothing piles up across a long run.
void FuzzResetPlatform();
