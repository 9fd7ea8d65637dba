// Conservation: random sequences of the shop's keys, clicks and confirms,
// with every way out (cancel, "leave", the right button, the equipment page
// and back) taken as it comes. After every step the bag, the equipment, the
// magic lists (in their order) and the money hold exactly what the step's
// deal did: nothing when no deal was made, else the rows' quantities at
// their prices.
#include "shop_fixture.h"

#include <map>
#include <random>

#include "base/input.h"

namespace {

struct Holdings {
    std::vector<std::vector<int>> bag;  // id, count, new count, in list order
    std::vector<int> equip, magic;
    uint32_t money = 0;
    bool operator==(const Holdings&) const = default;
};

Holdings Take() {
    Holdings h;
    for (const ItemRecord* r = gInventory; r; r = r->next) h.bag.push_back({r->id, r->count, r->newCount});
    for (auto& member : gMemberEquip)
        for (const ItemRecord* slot : member) h.equip.push_back(slot ? slot->id : -1);
    for (const ItemRecord* list : gMagicLists)
        for (const ItemRecord* r = list; r; r = r->next) h.magic.push_back(r->id);
    h.money = gTalkVar[0];
    return h;
}

std::map<int, int> HeldById(const Holdings& h) {
    std::map<int, int> held;
    for (const auto& r : h.bag) held[r[0]] += r[1] + r[2];
    return held;
}

// The bag's ids in order, keeping only those in `keep`.
std::vector<int> OrderOf(const Holdings& h, const std::map<int, int>& keep) {
    std::vector<int> ids;
    for (const auto& r : h.bag)
        if (keep.count(r[0]) && keep.at(r[0]) > 0) ids.push_back(r[0]);
    return ids;
}

struct Asked {
    bool buying;
    std::map<int, int> quantity;  // id -> quantity of the rows
    std::map<int, int> price;
};

Asked AskedNow() {
    Asked a{ShopBuying(), {}, {}};
    for (const ItemRecord* r = gShop.list; r; r = r->next) {
        a.quantity[r->id] = r->count;
        a.price[r->id] = ObjPrice(r->obj);
    }
    return a;
}

void PressFor(int key) {
    gKeyState[key].state = 1;
    gKeyState[key].framesHeld = 1;
}

void StandInCancel() { gMenuRequest = (gMenuRequest & kMenuFromShop) ? kShopReturnRequest : 0; }

class ShopConservationTest : public ShopTest {
protected:
    // One random step of the player.
    void Step(std::mt19937& rng) {
        const int what = int(rng() % 14);
        switch (what) {
        case 0: ShopKeyDown(); break;
        case 1: ShopKeyUp(); break;
        case 2: ShopKeyPageDown(); break;
        case 3: ShopKeyPageUp(); break;
        case 4: ShopKeyLess(); break;
        case 5:
        case 6: ShopKeyMore(); break;
        case 7:
        case 8: ShopConfirm(); break;
        case 9: if (rng() % 3 == 0) ShopCancel(); break;
        case 10:
            if (gShop.state == kShopChoosing) {
                gShop.flags = (gShop.flags & ~kShopChoiceBits) | uint32_t(rng() % 2);
                ShopConfirm();
            }
            break;
        default: {
            // Through the frame: a key or a click somewhere.
            static const int kKeys[] = {kMenuKeyEsc,  kMenuKeyCtrl,   kMenuKeyLeft,     kMenuKeyRight,
                                        kMenuKeyUp,   kMenuKeyDown,   kMenuKeyPageUp,   kMenuKeyPageDown,
                                        kMenuKeySpace, kMenuKeyReturn, kMenuKeyMouseLeft, kMenuKeyMouseLeft,
                                        kMenuKeyMouseRight};
            const int key = kKeys[rng() % (sizeof kKeys / sizeof kKeys[0])];
            gKeyInput.mouseX = int(rng() % 640);
            gKeyInput.mouseY = int(rng() % 480);
            if (key == kMenuKeyEsc || key == kMenuKeyCtrl || key == kMenuKeyMouseRight) {
                if (rng() % 3 != 0) break;  // leave often, not at once
            }
            PressFor(key);
            ShopFrame();
            ResetKeyStates();
            break;
        }
        }
    }

    // The equipment page's visit, as the framework runs it, and back.
    void VisitEquipment() {
        MenuFrame();
        ASSERT_EQ(gMenuRequest, kMenuFromShop | kMenuRoot);
        PressFor(kMenuKeyEsc);
        MenuFrame();
        ResetKeyStates();
        ASSERT_EQ(gMenuRequest, kShopReturnRequest);
        ShopFrame();
        ASSERT_EQ(gMenuRequest, uint32_t(kMenuShop));
    }
};

TEST_F(ShopConservationTest, EveryStepHoldsExactlyWhatItsDealDid) {
    MenuPage equip{};
    equip.firstId = 36;
    equip.lastId = 41;
    equip.slots.cancel = StandInCancel;
    RegisterMenuPage(kPageEquip, equip);
    InitMenu();
    const std::vector<uint16_t> stock = {kHerb, kTonic, kSword, kMail, kRing, kBigRing, kGem, kUnknown};
    int deals = 0, visits = 0, exits = 0;
    for (uint32_t seed = 1; seed <= 60; ++seed) {
        std::mt19937 rng(seed);
        ResetParty();
        Equip(0, 0, kOldSword);
        Equip(1, 5, kRing);
        AddItem(&gMagicLists[0], kTonic, 1, kAddCount);
        AddItem(&gMagicLists[0], kHerb, 1, kAddCount);
        Carry(kHerb, int(rng() % 99) + 1);
        Carry(kTonic, int(rng() % 5) + 1, int(rng() % 3));
        Carry(kRing, 97);
        Carry(kRelic, 1);
        gTalkVar[0] = uint32_t(rng() % 3000);
        OpenShop(stock);
        for (int step = 0; step < 250; ++step) {
            const Holdings before = Take();
            const Asked asked = AskedNow();
            const int32_t state = gShop.state;
            Step(rng);
            if (gMenuRequest == kShopEquipRequest) {
                ++visits;
                const Holdings atHandOver = Take();
                VisitEquipment();
                ASSERT_EQ(Take(), atHandOver) << "seed " << seed << " step " << step;
            }
            const Holdings after = Take();
            ASSERT_EQ(after.equip, before.equip) << "seed " << seed << " step " << step;
            ASSERT_EQ(after.magic, before.magic) << "seed " << seed << " step " << step;
            for (const auto& r : after.bag) {
                ASSERT_GE(r[1], 0);
                ASSERT_GE(r[2], 0);
                ASSERT_LE(r[1] + r[2], 99) << "id " << r[0];
            }
            if (after == before) {
                if (gMenuRequest == 0) {
                    ++exits;
                    ASSERT_EQ(gShopStockIds, nullptr);
                    ASSERT_EQ(gShop.list, nullptr);
                    OpenShop(stock);
                }
                continue;
            }
            // Something changed: only the answer to the question may do that.
            ASSERT_EQ(state, kShopAsking) << "seed " << seed << " step " << step;
            ++deals;
            const std::map<int, int> was = HeldById(before), now = HeldById(after);
            int64_t money = before.money;
            std::map<int, int> expected = was;
            for (const auto& [id, quantity] : asked.quantity) {
                if (quantity == 0) continue;
                if (asked.buying) {
                    expected[id] += quantity;
                    money -= int64_t(asked.price.at(id)) * quantity;
                } else {
                    expected[id] -= quantity;
                    money += int64_t(asked.price.at(id)) * quantity * 60 / 100;
                }
            }
            std::erase_if(expected, [](const auto& e) { return e.second == 0; });
            std::map<int, int> held = now;
            std::erase_if(held, [](const auto& e) { return e.second == 0; });
            ASSERT_EQ(held, expected) << "seed " << seed << " step " << step;
            ASSERT_EQ(int64_t(after.money), money) << "seed " << seed << " step " << step;
            ASSERT_GE(money, 0);
            // Records that stay keep their order; new ones come first.
            ASSERT_EQ(OrderOf(after, was), OrderOf(before, now)) << "seed " << seed << " step " << step;
        }
        ResetShop();
        gMenuRequest = 0;
    }
    // The walk reached every way out and made deals of both kinds.
    EXPECT_GT(deals, 20);
    EXPECT_GT(visits, 0);
    EXPECT_GT(exits, 10);
}

} // namespace
