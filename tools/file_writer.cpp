#include "tools/file_writer.h"

#include "base/file.h"

bool WriteBytesToFile(const char* path, const std::vector<uint8_t>& bytes) {
    cFile file;
    if (!file.Open(path, kCreateAlways, kGenericRead | kGenericWrite)) return false;
    const bool ok = bytes.empty() || file.WriteExact(bytes.data(), uint32_t(bytes.size()));
    return file.Close() && ok;
}
