// Shared set-up of the media tests: a fresh folder per test and every media
// module and headless device back at its start.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "media/music.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_media.h"

class MediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetAll();
        const char* root = std::getenv("KYV_TEST_TMP");
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(root ? root : std::filesystem::temp_directory_path().string()) / "media" /
               (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        ResetAll();
        std::filesystem::remove_all(dir_);
    }

    static void ResetAll() {
        ResetVideo();
        ResetMusic();
        ResetSoundBank();
        HeadlessAudioReset();
        HeadlessVideoReset();
        HeadlessReset();
    }

    // The test's folder, ending in '/'.
    std::string Folder() const { return dir_.string() + "/"; }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Put(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::filesystem::create_directories((dir_ / name).parent_path());
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

    std::filesystem::path dir_;
};
