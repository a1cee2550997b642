// The skin's ini file comes from whoever made the skin: any bytes must parse, and
// whatever parses must write out and read back to the same sections and values.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CIniFile ini;
    ini.LoadBytes(data, size);
    CeStd v;
    ini.GetValue(CeStd(), CeStd(), &v);
    for (const auto& s : ini.sections())
        for (const auto& kv : s.second.values()) ini.GetValue(s.first, kv.first, &v);
    const std::vector<uint8_t> out = ini.Serialize();
    CIniFile back;
    back.LoadBytes(out.data(), out.size());
    // Values may hold neither line breaks nor ';', so a round trip keeps every key
    // whose section name also survives; names with ']' or breaks cannot.
    for (const auto& s : ini.sections()) {
        bool plain = true;
        for (CeChar c : s.first) plain = plain && c != ']' && c != '\r' && c != '\n';
        if (!plain) continue;
        for (const auto& kv : s.second.values()) {
            CeStd a, b;
            ini.GetValue(s.first, kv.first, &a);
            if (!back.GetValue(s.first, kv.first, &b) || a != b) abort();
        }
    }
    return 0;
}
