#include "alphabet_file.h"

namespace olv {

std::optional<KeyLabels> ParseAlphabetFile(const uint8_t* data, size_t size) {
    if (!data) return std::nullopt;
    const size_t units = size / 2;
    auto unit = [&](size_t i) { return char16_t(data[2 * i] | (data[2 * i + 1] << 8)); };
    KeyLabels labels;
    size_t at = 0;
    for (size_t line = 0; line < 8; ++line) {
        size_t end = at;
        while (end < units && unit(end) != u'\n') ++end;
        if (end == units) return std::nullopt;  // no LF: the line is missing
        if (end - at < 3) return std::nullopt;
        size_t begin = at, stop = end;
        if (unit(begin) == 0xFEFF) ++begin;
        if (unit(stop - 1) == u'\r') --stop;
        std::u16string& label = labels[line];
        label.reserve(stop - begin);
        for (size_t i = begin; i < stop; ++i) label.push_back(unit(i));
        at = end + 1;
    }
    return labels;
}

}  // namespace olv
