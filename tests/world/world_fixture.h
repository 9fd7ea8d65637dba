// A temporary install folder with the world's databases written by the
// project's writers, and a reset of the world's tables around each test.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/file.h"
#include "base/settings.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/obj_db_writer.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/spirit/spirit.h"

class WorldTablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        ResetWorldTables();
    }
    void TearDown() override {
        ResetWorldTables();
        gInstallPath[0] = 0;
    }
    static void ResetWorldTables() {
        FreeItemLists();
        FreeFameLists();
        CloseObjFiles();
        ResetMemberStats();
        ResetSpirit();
    }
    void WriteMon(const std::map<uint32_t, std::vector<uint8_t>>& objects,
                  const std::map<uint32_t, std::vector<uint8_t>>& actions = {}) {
        CloseObjFiles();
        ASSERT_TRUE(WriteMonDat(install.Path(), objects, actions));
    }
    size_t BoxCount() const { return HeadlessMessageBoxes().size(); }
    std::string LastBoxText() const {
        return HeadlessMessageBoxes().empty() ? std::string() : HeadlessMessageBoxes().back().text;
    }
    TempFolder install{"world"};
};

inline std::vector<uint8_t> Item(const std::string& name, std::map<int, uint16_t> words = {}) {
    return ObjectRecordBytes(name, 0, words);
}
