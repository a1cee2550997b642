// Custom alphabet files come from users: any bytes must read without harm, and what
// reads must make matching groups that every label letter is found in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "alphabet_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto labels = olv::ParseAlphabetFile(data, size);
    if (!labels) return 0;
    if (olv::LetterCount(*labels) > size / 2) abort();
    const olv::LetterGroupTable table(olv::MatchingGroups(0, {*labels}));
    for (size_t g = 0; g < 8; ++g) {
        if ((*labels)[g].empty()) abort();
        for (char16_t c : (*labels)[g])
            if (table.Group(c) < 0 || table.Group(c) > int(g)) abort();  // an earlier group may hold it too
    }
    return 0;
}
