// Message boxes, machine facts, the single-instance lock and the desktop's programs.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Buttons and icons of a message box (values as the game's calls pass them).
enum : uint32_t {
    kMsgButtonsOk = 0x0,
    kMsgButtonsOkCancel = 0x1,
    kMsgButtonsAbortRetryIgnore = 0x2,
    kMsgButtonsYesNoCancel = 0x3,
    kMsgButtonsYesNo = 0x4,
    kMsgButtonsRetryCancel = 0x5,
    kMsgButtonsMask = 0xF,
    kMsgIconError = 0x10,
    kMsgIconQuestion = 0x20,
    kMsgIconWarning = 0x30,
    kMsgIconInfo = 0x40,
};

// What the player pressed.
enum : int {
    kMsgResultOk = 1,
    kMsgResultCancel = 2,
    kMsgResultAbort = 3,
    kMsgResultRetry = 4,
    kMsgResultIgnore = 5,
    kMsgResultYes = 6,
    kMsgResultNo = 7,
};

// Shows a modal box. text and caption are game text bytes (Big5); the back-end
// converts them for display. Returns one of kMsgResult*.
int PlatMessageBox(const char* text, const char* caption, uint32_t style);

// Installed physical memory in bytes.
uint64_t PlatPhysicalMemory();

// Free bytes available to this user on the file system holding path.
// Returns false when the path's file system cannot be asked.
bool PlatFreeDiskSpace(const char* path, uint64_t* freeBytes);

// A lock that only one running copy of the program can hold.
// Returns false when another copy holds it.
bool PlatAcquireInstanceLock(const char* name);
void PlatReleaseInstanceLock();

// Opens a web address or a document with the desktop's default program,
// without a shell. Returns false when nothing could be started.
bool PlatOpenUrl(const char* address);
bool PlatOpenDocument(const char* path);

// One line of the program's trace (no newline): odd data found on the way
// that does not deserve a box. Play writes it to standard error.
void PlatTrace(const char* line);

// Mount points of optical media that the system lists (may be empty), each
// without a trailing slash.
std::vector<std::string> PlatOpticalMounts();
