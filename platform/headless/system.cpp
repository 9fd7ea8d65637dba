// Headless message boxes, machine facts, instance lock and opener: recorded
// and answered from what tests set, never blocking and never starting programs.
#include "platform/headless/headless.h"
#include "platform/plat_file.h"
#include "platform/plat_system.h"
#include "platform/posix/posix.h"

#include <deque>

namespace {

struct HeadlessSystem {
    std::vector<HeadlessMessageBox> boxes;
    std::deque<int> answers;
    std::vector<std::string> urls;
    std::vector<std::string> documents;
    bool openerWorks = true;
    uint64_t physicalMemory = 512ull << 20;
    uint64_t freeDisk = 8ull << 30;
    bool freeDiskKnown = true;
    std::vector<std::string> opticalMounts;
    bool otherInstance = false;
    bool lockHeld = false;
    std::vector<std::string> traces;
};
HeadlessSystem gHeadlessSystem;

} // namespace

int PlatMessageBox(const char* text, const char* caption, uint32_t style) {
    int results[3];
    PosixMessageButtons(style, results);
    int result = results[0];
    if (!gHeadlessSystem.answers.empty()) {
        result = gHeadlessSystem.answers.front();
        gHeadlessSystem.answers.pop_front();
    }
    gHeadlessSystem.boxes.push_back({text != nullptr ? text : "", caption != nullptr ? caption : "", style, result});
    return result;
}

uint64_t PlatPhysicalMemory() { return gHeadlessSystem.physicalMemory; }

bool PlatFreeDiskSpace(const char* path, uint64_t* freeBytes) {
    if (freeBytes != nullptr) *freeBytes = gHeadlessSystem.freeDiskKnown ? gHeadlessSystem.freeDisk : 0;
    return gHeadlessSystem.freeDiskKnown;
}

bool PlatAcquireInstanceLock(const char* name) {
    if (gHeadlessSystem.otherInstance) return false;
    gHeadlessSystem.lockHeld = true;
    return true;
}

void PlatReleaseInstanceLock() { gHeadlessSystem.lockHeld = false; }

bool PlatOpenUrl(const char* address) {
    gHeadlessSystem.urls.push_back(address != nullptr ? address : "");
    return gHeadlessSystem.openerWorks && address != nullptr && address[0] != '\0' && address[0] != '-';
}

bool PlatOpenDocument(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    gHeadlessSystem.documents.push_back(PlatResolvePath(path));
    return gHeadlessSystem.openerWorks;
}

std::vector<std::string> PlatOpticalMounts() { return gHeadlessSystem.opticalMounts; }

void HeadlessQueueMessageBoxAnswer(int result) { gHeadlessSystem.answers.push_back(result); }
const std::vector<HeadlessMessageBox>& HeadlessMessageBoxes() { return gHeadlessSystem.boxes; }
void PlatTrace(const char* line) { gHeadlessSystem.traces.push_back(line != nullptr ? line : ""); }

const std::vector<std::string>& HeadlessTraces() { return gHeadlessSystem.traces; }

const std::vector<std::string>& HeadlessOpenedUrls() { return gHeadlessSystem.urls; }
const std::vector<std::string>& HeadlessOpenedDocuments() { return gHeadlessSystem.documents; }
void HeadlessSetOpenerWorks(bool works) { gHeadlessSystem.openerWorks = works; }
void HeadlessSetPhysicalMemory(uint64_t bytes) { gHeadlessSystem.physicalMemory = bytes; }

void HeadlessSetFreeDiskSpace(uint64_t bytes, bool known) {
    gHeadlessSystem.freeDisk = bytes;
    gHeadlessSystem.freeDiskKnown = known;
}

void HeadlessSetOpticalMounts(const std::vector<std::string>& mounts) { gHeadlessSystem.opticalMounts = mounts; }
void HeadlessSetOtherInstanceRunning(bool running) { gHeadlessSystem.otherInstance = running; }
bool HeadlessInstanceLockHeld() { return gHeadlessSystem.lockHeld; }
void HeadlessResetSystem() { gHeadlessSystem = HeadlessSystem{}; }
