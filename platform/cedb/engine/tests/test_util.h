#pragma once

#include <string>
#include <vector>

#include "volume.h"

namespace cedb::test {

// A fresh directory under the system's temp folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

PropValue Str(uint32_t propid, const std::u16string& s);
PropValue Num(uint32_t propid, int64_t n);
PropValue Bytes(uint32_t propid, std::vector<uint8_t> b);

std::vector<uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<uint8_t>& data);

}  // namespace cedb::test
