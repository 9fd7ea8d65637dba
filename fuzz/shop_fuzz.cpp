// Fuzz target of the shop: the first byte is how many of the next bytes are
// the talk's stock words (255: the whole 256-byte block, with no end), and
// every byte after them is one step of the player (a key, a confirm, a
// click at the two bytes that follow). The shop runs on a small object
// table in memory with a bag, equipment and money; counts must stay within
// 0..99 and the shop must close cleanly at the end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/input.h"
#include "base/memory.h"
#include "fuzz/support/fuzz_support.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "menu/shop/shop.h"
#include "tools/obj_db_writer.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

namespace {

constexpr size_t kStockBytes = 2 * size_t(kShopStockWords);

void UseObjectTable() {
    gObjFiles.mon = BuildMonDat({{1, ObjectRecordBytes("Herb", 0, {}, "", 10)},
                                 {2, ObjectRecordBytes("Tonic", 0, {}, "", 33)},
                                 {3, ObjectRecordBytes("Relic", 0x40, {}, "", 90)},
                                 {10, ObjectRecordBytes("Sword", 0x100, {{0, 12}, {11, 0xF000}}, "", 120)},
                                 {11, ObjectRecordBytes("Mail", 0x40000200, {{1, 8}, {11, 0xC000}}, "", 80)},
                                 {12, ObjectRecordBytes("Ring", 0x400, {{0, 3}, {11, 0xF000}}, "", 65535)}},
                                {});
    gObjFiles.monOpen = true;
}

void ResetModules() {
    FuzzResetPlatform();
    ResetShop();
    ResetMenuServices();
    ResetMenuFrame();
    ResetKeyStates();
    ResetStoryFlags();
    FreeItemLists();
    ResetMemberStats();
}

void SetUpParty() {
    for (auto& member : gMemberEquip)
        for (ItemRecord*& slot : member) slot = NewPlaceholderItem();
    FreeItemNode(gMemberEquip[0][5]);
    gMemberEquip[0][5] = NewItemNode(12);
    AddItem(&gInventory, 1, 97, kAddCount);
    AddItem(&gInventory, 2, 3, kAddNew);
    AddItem(&gInventory, 3, 1, kAddCount);
    SetFlag(30);
    SetFlag(31);
    gTalkVar[0] = 5000;
}

void Press(int key) {
    gKeyState[key].state = 1;
    gKeyState[key].framesHeld = 1;
}

void Step(uint8_t b, const uint8_t* more, size_t left) {
    static const int kKeys[] = {kMenuKeyEsc,  kMenuKeyCtrl,     kMenuKeyLeft,     kMenuKeyRight,
                                kMenuKeyUp,   kMenuKeyDown,     kMenuKeyPageUp,   kMenuKeyPageDown,
                                kMenuKeySpace, kMenuKeyReturn, kMenuKeyMouseLeft, kMenuKeyMouseRight};
    const int key = kKeys[b % (sizeof kKeys / sizeof kKeys[0])];
    if (left >= 2) {
        gKeyInput.mouseX = more[0] * 640 / 256;
        gKeyInput.mouseY = more[1] * 480 / 256;
    }
    Press(key);
    ShopFrame();
    ResetKeyStates();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetModules();
    UseObjectTable();
    SetUpParty();
    gShopStockIds = static_cast<uint16_t*>(AllocZero(int(kStockBytes)));
    size_t at = 0;
    if (size > 0) {
        const size_t want = data[0] == 255 ? kStockBytes : data[0];
        const size_t take = std::min(want, size - 1);
        std::memcpy(gShopStockIds, data + 1, take);
        if (data[0] == 255 && take > 0)
            for (size_t i = take; i < kStockBytes; ++i) reinterpret_cast<uint8_t*>(gShopStockIds)[i] = data[1 + i % take];
        at = 1 + take;
    }
    gMenuRequest = kMenuPending | kMenuShop;
    ShopFrame();
    for (size_t steps = 0; at < size && steps < 400; ++steps, ++at) {
        if (gMenuRequest == kShopEquipRequest) gMenuRequest = kShopReturnRequest;  // straight back
        if (gMenuRequest == 0) break;
        Step(data[at], data + at + 1, size - at - 1);
    }
    for (const ItemRecord* r = gInventory; r; r = r->next)
        if (r->count < 0 || r->newCount < 0 || r->count + r->newCount > kItemCountMax) std::abort();
    ResetShop();
    FreeItemLists();
    gObjFiles = ObjFiles{};
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    // Stock 1, 10, 11, 999; then: confirm (buy), right x3, down, right, confirm x2, confirm (equip), esc...
    std::vector<uint8_t> buy = {8, 1, 0, 10, 0, 11, 0, 0xE7, 0x03, 9, 3, 3, 3, 5, 3, 9, 9, 9, 9, 0, 0, 0};
    WriteFuzzSeed(dir, "buy", buy);
    // No stock; sell: down, confirm, right x4, confirm x2, then clicks.
    std::vector<uint8_t> sell = {0, 5, 9, 3, 3, 3, 3, 9, 9, 10, 100, 60, 10, 140, 220, 11, 0, 0};
    WriteFuzzSeed(dir, "sell", sell);
    // A stock block with no end word.
    std::vector<uint8_t> unended = {255, 1, 0, 12, 0, 2, 0, 9, 3, 7, 8, 6, 9, 9};
    WriteFuzzSeed(dir, "unended", unended);
}
