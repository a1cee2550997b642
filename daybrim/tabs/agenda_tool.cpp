// agenda.exe: prints what the Calendar tab shows on this device, one line per row,
// with the tab's own settings, store and agenda.
//   agenda [--days N] [--from YYYY-MM-DD] [--volume \NAME.vol]
// --from starts the range on another day (as browsing the monthly calendar does);
// --volume reads another object-store volume than \pim.vol.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "agenda_print.h"
#include "agenda_settings.h"
#include "category_table.h"
#include "locale_text.h"
#include "pim_settings.h"
#include "pim_store.h"
#include "settings.h"
#include "week_number.h"

using namespace daybrim;

namespace {

int Usage() {
    fwprintf(stderr, L"usage: agenda [--days N] [--from YYYY-MM-DD] [--volume \\NAME.vol]\n");
    return 2;
}

// The first of an item's categories that has a colour.
class TableColours : public CategoryColours {
public:
    explicit TableColours(const CCategoryTable& t) : table_(t) {}
    uint32_t Colour(const TItemWithCategory& item) const override {
        for (int32_t id : item.categories())
            if (const CategoryEntry* e = table_.CategoryById(id))
                if (e->colour != kNoColour) return e->colour;
        return kNoColour;
    }

private:
    const CCategoryTable& table_;
};

double LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    return OleFromTicks((uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

void PrintLine(const std::wstring& line) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, line.c_str(), int(line.size()), &bytes[0], n, nullptr, nullptr);
    bytes += '\n';
    fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int days = 0;
    int32_t from = 0;
    std::wstring volume;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const wchar_t* value = argv[++i];
        if (arg == L"--days") {
            wchar_t* end = nullptr;
            const long n = wcstol(value, &end, 10);
            if (!end || *end || n < 1 || n > 366) return Usage();
            days = int(n);
        } else if (arg == L"--from") {
            int y = 0, m = 0, d = 0;
            wchar_t tail = 0;
            if (swscanf(value, L"%4d-%2d-%2d%lc", &y, &m, &d, &tail) != 3 || y < 1900 || y > 2999 || m < 1 ||
                m > 12 || d < 1 || d > 31)
                return Usage();
            from = DayFromDate(y, m, d);
        } else if (arg == L"--volume") {
            volume = value;
        } else {
            return Usage();
        }
    }

    CSettings settings;
    raii::Library lang;
    settings.Load(&lang);
    PimOptions options = PimOptionsFrom(settings, lang.get());
    if (days) options.numDays = days;
    if (!volume.empty()) options.cat.pimVolume = volume;

    const int32_t today = DeviceToday();
    const int32_t first = from ? from : today;
    CCategoryTable categories;
    CPimStore store(&categories);
    store.Start(nullptr, options, first);

    AgendaSettings as = AgendaSettingsFrom(settings, LocaleWeekRule(settings));
    as.numDays = options.numDays;
    TableColours colours(categories);
    as.categoryColours = &colours;
    LibraryTexts text(lang.get());
    LocaleFormat format;
    AgendaModel model(as, text, format);
    model.Sync(store.days(), {store.firstDay(), store.lastDay(), first != today}, today, LocalNow());
    for (const std::wstring& line : AgendaLines(model)) PrintLine(line);
    fflush(stdout);
    store.Stop();
    return 0;
}
