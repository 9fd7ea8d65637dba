// One open talk dialog, and the list of them that the message dialog draws.
//
// The talk machine and the battle script fill a node (SetupDialog), append it
// to gDialogList (AppendDialogNode) and wait until the message dialog has
// closed it. The node is an in-memory record only: it is never stored, so it
// uses natural types, and its text and caption are owned copies.
#pragma once
#include <cstddef>
#include <cstdint>

struct ActRecord;

// Flags of DialogNode::flags. See docs/dialogs.md for who sets each one.
enum DialogFlag : uint32_t {
    kDlgOpenComplete  = 0x1,        // the box is open and its first page is complete
    kDlgClosing       = 0x2,        // the box is shrinking away; the node goes when it is gone
    kDlgAutoAdvance   = 0x8,        // pages turn by themselves after autoTime
    kDlgReleasesPlayer = 0x10,      // closing the dialog lets the player walk again
    kDlgNoSkip        = 0x20,       // typing cannot be skipped
    kDlgFadingClose   = 0x40,       // the box fades out instead of shrinking
    kDlgTall          = 0x80,       // the tall variant (border 5)
    kDlgTimedTurn     = 0x100,      // the last page turn came from the page timer
    kDlgPageTurn      = 0x200,      // a page turn was asked for this frame
    kDlgNoWait        = 0x400,      // the script that opened it does not wait for it
    kDlgFromOrigin    = 0x800,      // free dialog: grows from its origin, no speaker check
    kDlgOptions       = 0x2000,     // the page holds option lines
    kDlgPageComplete  = 0x4000,     // the page is typed out to its end
    kDlgLastPage      = 0x8000,     // "%Q" was reached: this is the last page
    kDlgOptionsListed = 0x20000000, // the page's options are in the option list (gEventRects)
    kDlgFullyShown    = 0x40000000, // the page's text is fully shown
    kDlgEnded         = 0x80000000, // the last page was confirmed: the box is closing
};

constexpr uint16_t kDialogNoSpeaker = 0xFFFD;
constexpr uint16_t kDialogNoAutoTime = 0xFFFF;
constexpr size_t kDialogTextBytes = 512;
constexpr size_t kDialogCaptionBytes = 32;

struct DialogNode {
    const ActRecord* frameAct = nullptr;   // frame animation (one of gDialogFrames), or null
    const ActRecord* captionAct = nullptr; // caption animation (one of gDialogCaptions), or null
    uint32_t flags = 0;
    uint16_t autoTime = kDialogNoAutoTime; // tenths of a second; the battle's "option word"
    uint32_t pageStartMs = 0;              // 0 = the page has not started
    uint16_t openStep = 0;                 // 0..4 while the box grows
    uint16_t speaker = kDialogNoSpeaker;   // role index of the speaker
    uint16_t countdown = 0;
    uint16_t kind = 0;                     // the battle's kind word (2 for its talk windows)
    int32_t x = 0, y = 0;                  // box position on the screen
    int32_t anchorX = 0, anchorY = 0;      // origin the box grows from (speaker's point, map pixels)
    int32_t width = 0, height = 0;         // box size in pixels
    uint16_t typeDelay = 2;                // frames per character (twice the settings value)
    uint16_t typeCounter = 0;
    uint16_t border[2] = {4, 4};           // frame thickness (5 in the tall variant)
    uint16_t inset = 4;
    uint16_t colour = 0, shadow = 0, style = 0; // text colour, shadow colour and style at the page start
    // The dialog's text (zero-terminated, at most kDialogTextBytes with the zero)
    // and its caption (at most kDialogCaptionBytes with the zero); both owned.
    char text[kDialogTextBytes] = {};
    char caption[kDialogCaptionBytes] = {};
    size_t readPos = 0;                    // offset in text of the next character to type
    size_t pageStart = 0;                  // offset in text where the current page starts
    size_t pageMark = 0;                   // offset in text where the next page starts
    DialogNode* next = nullptr;
};

// Open dialogs, in the order they were appended. Nodes are owned by the list
// from AppendDialogNode until the message dialog closes them.
extern DialogNode* gDialogList;
// Open dialogs that hold the player (the talk machine waits while it is not 0).
extern uint32_t gDialogCount;

// Frees every node of gDialogList and sets the count to 0.
void FreeDialogList();
