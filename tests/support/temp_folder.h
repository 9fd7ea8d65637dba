// A fresh folder per test under $KYV_TEST_TMP (else /tmp), removed afterwards.
#pragma once
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

class TempFolder {
public:
    explicit TempFolder(const char* prefix = "plat") {
        const char* root = std::getenv("KYV_TEST_TMP");
        std::string base = (root != nullptr && root[0] != '\0') ? root : "/tmp";
        mkdir(base.c_str(), 0777);
        std::string pattern = base + "/" + prefix + "-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
    }
    ~TempFolder() {
        if (!path_.empty()) nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, ending in '/'.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + rel; }

    void MakeFolder(const std::string& rel) const { mkdir((path_ + rel).c_str(), 0777); }
    void WriteFile(const std::string& rel, const std::string& bytes) const {
        std::ofstream out(path_ + rel, std::ios::binary);
        out << bytes;
    }
    std::string ReadFile(const std::string& rel) const {
        std::ifstream in(path_ + rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static int RemoveEntry(const char* path, const struct stat*, int, FTW*) { return std::remove(path); }
    std::string path_;
};
