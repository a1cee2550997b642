#include "test_util.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace fs = std::filesystem;

namespace cedb::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    fs::path p = fs::temp_directory_path() /
                 ("cedb-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::create_directories(p);
    path_ = p.generic_string();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

PropValue Str(uint32_t propid, const std::u16string& s) {
    PropValue v;
    v.propid = propid;
    v.str = s;
    return v;
}

PropValue Num(uint32_t propid, int64_t n) {
    PropValue v;
    v.propid = propid;
    v.num = n;
    return v;
}

PropValue Bytes(uint32_t propid, std::vector<uint8_t> b) {
    PropValue v;
    v.propid = propid;
    v.bytes = std::move(b);
    return v;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

}  // namespace cedb::test
