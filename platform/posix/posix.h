// Services shared by both back-ends that a back-end may wrap or replace.
// The SDL back-end forwards its machine facts, lock and local time to these;
// the headless back-end answers from values that tests set, and tests call
// these directly to check the real thing.
#pragma once
#include "platform/plat_clock.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Local time of the host.
PlatLocalTime PosixLocalTime();

// Installed physical memory in bytes (0 when the system does not say).
uint64_t PosixPhysicalMemory();
// Free bytes for this user on the file system holding the game path.
bool PosixFreeDiskSpace(const char* gamePath, uint64_t* freeBytes);

// A lock file held with flock. Each lock is one open file description, so
// two locks of the same name exclude each other even inside one process.
struct PosixInstanceLock {
    int fd = -1;
};
// folder null: the user's runtime folder ($XDG_RUNTIME_DIR) or /tmp.
// Returns false only when another holder has the lock; a lock file that
// cannot be made lets the program run (true) rather than refusing to start.
bool PosixLockAcquire(PosixInstanceLock* lock, const char* name, const char* folder);
void PosixLockRelease(PosixInstanceLock* lock);
// The file the lock of this name uses.
std::string PosixLockPath(const char* name, const char* folder);

// Mount points of iso9660 and udf file systems in a mounts table's text
// (the format of /proc/self/mounts), and of the running system.
std::vector<std::string> PosixParseOpticalMounts(const std::string& mountsText);
std::vector<std::string> PosixOpticalMounts();

// Message box buttons for a style: their results, first the default one.
// Returns the count (1..3).
int PosixMessageButtons(uint32_t style, int results[3]);
const char* PosixMessageButtonLabel(int result);

// Game text (Big5) as UTF-8 for the desktop. Text that does not convert is
// shown as escaped ASCII ("\xB2\xD3") so the player still sees something.
std::string PosixBig5ToUtf8(const char* big5);
// Typed text (UTF-8) as game bytes; characters Big5 cannot hold are dropped.
std::string PosixUtf8ToBig5(const char* utf8);
// Typed text (UTF-8) as whole characters of kPlatEventText in the given code
// set ("CP950" or "GB2312"), one per character typed: a single byte below
// 0x80, a two-byte code lead byte high, or kPlatTextNoForm for a character
// the set cannot hold. A broken UTF-8 sequence counts as one such character.
std::vector<int> PosixTypedCharacters(const char* utf8, int codeSet);

// Starts `xdg-open argument` without a shell; true when the program started.
bool PosixLaunchOpener(const char* argument);

// The PC set-1 scan code (the numbering the settings file stores) of a key
// given by its USB HID usage on the keyboard page, which is also SDL's
// scancode number. 0 when the key has no PC code.
uint8_t PlatScanCodeFromUsbUsage(int usage);
