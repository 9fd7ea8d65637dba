// A fresh install folder per test for the pack tests, and a reset of every
// module the packs touch.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/pack_file.h"
#include "draw/pixel_format.h"
#include "draw/tsw_pack.h"
#include "platform/headless/headless.h"
#include "tools/tsw_writer.h"

class PackFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetSettings();
        ResetPixelFormat();
        ResetTswPacks();
        ResetActPacks();
        ResetPackReadCount();
        const char* root = std::getenv("KYV_TEST_TMP");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(root ? root : std::filesystem::temp_directory_path().string()) / "draw_packs" /
               (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s/", dir_.string().c_str());
    }
    void TearDown() override {
        ResetTswPacks();
        ResetActPacks();
        ResetPixelFormat();
        ResetSettings();
        std::filesystem::remove_all(dir_);
    }

    std::string Folder() const { return dir_.string(); }
    void Put(const char* name, const std::vector<uint8_t>& bytes) const {
        ASSERT_TRUE(WriteBytesToFile((dir_ / name).string().c_str(), bytes)) << name;
    }

    std::filesystem::path dir_;
};
