// The buttons of each message box style, shared by the real box and the
// headless one so both answer a box the same way.
#include "platform/plat_system.h"
#include "platform/posix/posix.h"

int PosixMessageButtons(uint32_t style, int results[3]) {
    switch (style & kMsgButtonsMask) {
    case kMsgButtonsOkCancel:
        results[0] = kMsgResultOk;
        results[1] = kMsgResultCancel;
        return 2;
    case kMsgButtonsAbortRetryIgnore:
        results[0] = kMsgResultAbort;
        results[1] = kMsgResultRetry;
        results[2] = kMsgResultIgnore;
        return 3;
    case kMsgButtonsYesNoCancel:
        results[0] = kMsgResultYes;
        results[1] = kMsgResultNo;
        results[2] = kMsgResultCancel;
        return 3;
    case kMsgButtonsYesNo:
        results[0] = kMsgResultYes;
        results[1] = kMsgResultNo;
        return 2;
    case kMsgButtonsRetryCancel:
        results[0] = kMsgResultRetry;
        results[1] = kMsgResultCancel;
        return 2;
    default: // kMsgButtonsOk, and styles we do not know show at least OK
        results[0] = kMsgResultOk;
        return 1;
    }
}

const char* PosixMessageButtonLabel(int result) {
    switch (result) {
    case kMsgResultOk: return "OK";
    case kMsgResultCancel: return "Cancel";
    case kMsgResultAbort: return "Abort";
    case kMsgResultRetry: return "Retry";
    case kMsgResultIgnore: return "Ignore";
    case kMsgResultYes: return "Yes";
    case kMsgResultNo: return "No";
    }
    return "OK";
}
