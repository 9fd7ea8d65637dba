// Fuzz target: loading a saved game into a running game (LoadSaveBytes) on a
// small install, past the codec's checks into the matching of role
// definitions and object states, the lists and the fame block.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/settings.h"
#include "menu/save/save_state.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/map_tables_writer.h"
#include "tools/maps_writer.h"
#include "tools/obj_db_writer.h"
#include "world/game_buffers.h"
#include "world/new_game.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/release_game.h"

namespace {

void MakeInstall() {
    if (gInstallPath[0] != 0) return;
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", FuzzFolder().c_str());
    WriteMonDat(FuzzFolder(), {{1, ObjectRecordBytes("Herb", 0, {})}, {40, ObjectRecordBytes("Fire", 0, {})}}, {});
    MapsDatSpec spec;
    spec.roleDefs = {RoleDef{81, 1, {100, 0, 1}, 5, 6, 0, 0, 0, 0x8000, 0},
                     RoleDef{81, 7, {101, 0, 1}, 7, 6, 12, 0, 0, 0x8000, 0}};
    spec.bag = {{1, 5}};
    spec.magic[0] = {40};
    spec.objectStates = {{5, 0, 1, 0, 0, 0, 0, 0}, {5, 0, 2, 0, 0, 0, 0, 0}};
    MapListRecord village;
    village.map = 81;
    village.code = 1;
    spec.raw[3] = MapListTable({village});
    WriteMapsDat(FuzzFolder(), spec);
}

void ReleaseAll() {
    ReleaseGame();
    FreeMapsImage();
    FreeItemLists();
    FreeFameLists();
    CloseObjFiles();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzResetPlatform();
    MakeInstall();
    LoadSaveBytes(data, size);
    ReleaseAll();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    MakeInstall();
    NewGame(0);
    AddMagic(0, 40);
    AddItem(&gInventory, 1, 2, kAddNewOnly);
    SaveImage image;
    CollectSaveImage(&image);
    std::vector<uint8_t> bytes;
    if (EncodeSave(image, &bytes).ok) WriteFuzzSeed(dir, "whole", bytes);
    image.blockCount = 3;
    if (EncodeSave(image, &bytes).ok) WriteFuzzSeed(dir, "after-block-3", bytes);
    image.blockCount = 8;
    if (EncodeSave(image, &bytes).ok) WriteFuzzSeed(dir, "after-block-8", bytes);
    ReleaseAll();
}
