// devicelog_writer TAG COUNT SIZE: appends COUNT lines tagged TAG, each with a
// SIZE-character payload, to the device log. Exit code 0 when every append worked.
#include <cwchar>
#include <string>

#include "devicelog.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    const std::wstring tag = argv[1];
    const long count = wcstol(argv[2], nullptr, 10), size = wcstol(argv[3], nullptr, 10);
    if (count < 0 || size < 0 || size > 1 << 20) return 2;
    int failed = 0;
    for (long i = 0; i < count; ++i) {
        std::wstring payload(size_t(size), wchar_t(L'a' + i % 26));
        if (!devlog::Event("test", "append").Str("tag", tag).Int("seq", i).Str("payload", payload).Append())
            ++failed;
    }
    return failed ? 1 : 0;
}
