// One reset for the whole headless back-end.
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"

void HeadlessReset() {
    HeadlessResetClock();
    HeadlessResetSystem();
    HeadlessResetDisplay();
    HeadlessResetInput();
    HeadlessAudioReset();
    HeadlessVideoReset();
}
