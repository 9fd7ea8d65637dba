#include "world/game_buffers.h"

#include "base/file.h"
#include "base/memory.h"
#include "base/settings.h"
#include "world/role/role_def.h"

#include <string>

uint8_t* gTalkScript = nullptr;
uint8_t* gMapsImage = nullptr;
uint32_t gMapsImageSize = 0;

bool NewTalkScript() {
    FreeTalkScript();
    gTalkScript = static_cast<uint8_t*>(AllocZero(static_cast<int>(kTalkScriptBytes)));
    return gTalkScript != nullptr;
}

MapsImageResult ReadMapsImage() {
    FreeMapsImage();
    cFile file;
    std::string path = std::string(gInstallPath) + "maps.dat";
    if (!file.Open(path.c_str(), kOpenExisting, kGenericRead)) return kMapsImageMissing;
    uint32_t size = file.GetSize();
    // The image is what follows the head; a file that ends inside the head
    // has none, and its size less 512 would wrap.
    if (size == kFileInvalid || size <= kMapsHeadBytes || size - kMapsHeadBytes > 0x7FFFFFF0u) return kMapsImageTooShort;
    uint32_t length = size - kMapsHeadBytes;
    auto* block = static_cast<uint8_t*>(AllocZero(static_cast<int>(length)));
    if (block == nullptr) return kMapsImageNoMemory;
    if (file.SeekSet(static_cast<int32_t>(kMapsHeadBytes)) == 0 || !file.ReadExact(block, length)) {
        FreeMem(block);
        return kMapsImageShortRead;
    }
    gMapsImage = block;
    gMapsImageSize = length;
    BindRoleDefs();  // the definitions live in the image
    return kMapsImageRead;
}

void FreeTalkScript() {
    FreeMem(gTalkScript);
    gTalkScript = nullptr;
}

void FreeMapsImage() {
    FreeMem(gMapsImage);
    gMapsImage = nullptr;
    gMapsImageSize = 0;
    BindRoleDefs();  // no image: no definitions (never a pointer into a freed block)
}

void ResetGameBuffers() {
    FreeTalkScript();
    FreeMapsImage();
}
