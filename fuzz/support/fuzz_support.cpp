// Start-up of every fuzz target: the fuzzer calls LLVMFuzzerInitialize once;
// with KYV_FUZZ_SEEDS set it writes the target's seeds there and ends, which
// is how scripts/fuzz fills a fresh corpus.
#include "fuzz/support/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/edition.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"

// The targets run with the Simplified edition's facts (text converted to
// GB2312 when drawn), the edition with the most code behind it.
EditionFacts gEdition = {
    kEditionSimplified, true, 134, "\xCB\xCE\xCC\xE5", 0x0500, "v2.02", "D:\\KYV3E\\Simp\\",
};

namespace {
struct ScratchFolder {
    std::string path;
    ~ScratchFolder() {
        if (path.empty()) return;
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};
ScratchFolder gScratch;
} // namespace

void WriteFuzzSeed(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(std::filesystem::path(dir) / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteFuzzSeed(const std::string& dir, const std::string& name, uint8_t first, const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return;
    WriteFuzzSeed(dir, name, FuzzJoin({first}, bytes));
}

std::vector<uint8_t> FuzzJoin(std::vector<uint8_t> head, const uint8_t* tail, size_t tailSize) {
    const size_t at = head.size();
    head.resize(at + tailSize);
    if (tailSize) std::memcpy(head.data() + at, tail, tailSize);
    return head;
}

const std::string& FuzzFolder() {
    if (gScratch.path.empty()) {
        const char* root = std::getenv("TMPDIR");
        std::string base = root && *root ? root : "/tmp";
        std::error_code ec;
        std::filesystem::create_directories(base, ec);
        std::string pattern = base + "/kyv-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("kyv fuzz: scratch folder");
            std::abort();
        }
        gScratch.path = pattern + "/";
    }
    return gScratch.path;
}

std::string PutFuzzFile(const char* name, const uint8_t* data, size_t size) {
    std::string rel = name;
    for (char& c : rel) {
        if (c == '\\') c = '/';
    }
    std::filesystem::path path = std::filesystem::path(FuzzFolder()) / rel;
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (size) out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return out ? path.string() : std::string();
}

void FuzzResetPlatform() {
    HeadlessReset();
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* seeds = std::getenv("KYV_FUZZ_SEEDS");
    if (seeds && *seeds) {
        std::error_code ec;
        std::filesystem::create_directories(seeds, ec);
        WriteFuzzSeeds(seeds);
        std::exit(0);
    }
    return 0;
}
