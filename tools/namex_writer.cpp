#include "tools/namex_writer.h"

#include "tools/file_writer.h"
#include "tools/indexed_writer.h"

std::vector<uint8_t> BuildNamex(const std::vector<std::string>& names) {
    std::vector<std::vector<uint8_t>> records;
    records.reserve(names.size());
    for (const std::string& name : names) {
        std::vector<uint8_t> record(name.begin(), name.end());
        record.push_back('%');
        record.push_back('Q');
        records.push_back(std::move(record));
    }
    return BuildIndexedData({}, records);
}

bool WriteNamex(const std::string& folder, const std::vector<std::string>& names) {
    return WriteBytesToFile((folder + "namex.dat").c_str(), BuildNamex(names));
}
