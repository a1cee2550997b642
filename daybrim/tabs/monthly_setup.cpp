#include "monthly_setup.h"

#include "category_table.h"
#include "image_cache.h"
#include "item_actions.h"
#include "locale_text.h"
#include "pim_store.h"
#include "settings.h"
#include "skin.h"

namespace daybrim {

namespace {

class PimRangeReader : public monthly::RangeReader {
public:
    PimRangeReader(const PimOptions& options, const monthly::TimelineColours& colours)
        : options_(options), colours_(colours), store_(nullptr) {}

    std::unique_ptr<monthly::LoadedRange> Load(int first, int last) override {
        store_.LoadAppointmentRange(options_, first, last);
        auto out = std::make_unique<MonthTimelines>();
        out->first = first;
        out->last = last;
        out->days.resize(size_t(last - first + 1));
        for (int d = first; d <= last; ++d) {
            const TDailyList* day = store_.Day(uint32_t(d));
            if (!day) continue;
            for (const TChildItem* c : day->children())
                if (c->Kind() == kKindAppt) {
                    const auto& a = static_cast<const TApptItem&>(*c);
                    if (colours_.skipFree && a.busy == 0) continue;
                    out->days[size_t(d - first)].Add(d, a.start, a.end, a.allDay,
                                                     colours_.For(a.busy, a.categories()));
                    out->days[size_t(d - first)].AddCategories(a.categories());
                }
        }
        // Nothing of the read is kept between months.
        store_.Stop();
        return out;
    }

private:
    const PimOptions options_;
    const monthly::TimelineColours colours_;
    CPimStore store_;
};

}  // namespace

std::unique_ptr<monthly::RangeReader> MakePimRangeReader(const PimOptions& options,
                                                         const monthly::TimelineColours& colours) {
    return std::make_unique<PimRangeReader>(options, colours);
}

MonthlySetup MonthlySetupFrom(const CSettings& s, const CSkin& skin, const CImageCache* images, int weekRule,
                              HINSTANCE inst, HMODULE lang, const PimOptions& options,
                              const CCategoryTable* categories, int today) {
    MonthlySetup m;
    m.inst = inst;
    m.lang = lang;
    m.sc = TheScaler();
    m.today = today;
    m.startDay = s.MonthlyStartDay.value();
    m.firstWorkDay = s.FirstWorkDay.value();
    m.weekNumbers = s.MonthlyPopWithWeekNum.value() == 1;
    m.weekRule = weekRule;
    m.timelines = int(s.MonthlyPopTimelines.value());
    m.dpadNavigation = int(s.PopupClrDPadNavigation.value());
    m.onClick = int(s.OnPopupMonthCalClick.value());
    m.background = COLORREF(s.ClrPopupClrBg.value());
    m.current = COLORREF(s.ClrPopupCurr.value());
    m.highlight = COLORREF(s.ClrPopupHighlight.value());
    if (s.TimeLinesBgClr.value() != 0xFFFFFFFF) m.timelineBackground = COLORREF(s.TimeLinesBgClr.value());
    if (s.TimeLinesDfltClr.value() != 0xFFFFFFFF) m.timelineDefault = COLORREF(s.TimeLinesDfltClr.value());
    for (int i = 0; i < kMonCount; ++i) m.monthly[i] = skin.desc().monthly[i];
    m.images = images;
    monthly::TimelineColours colours;
    colours.byCategory = s.TimeLines.value() == 2;
    colours.skipFree = s.FilterFreeApptsFromTL.value() == 1;
    const unsigned long status[4] = {s.ClrStatusFree.value(), s.ClrStatusTentative.value(), s.ClrStatusBusy.value(),
                                     s.ClrStatusOutofoffice.value()};
    for (int i = 0; i < 4; ++i)
        if (status[i] != 0xFFFFFFFF) colours.status[i] = uint32_t(status[i]);
    if (categories)
        for (const CategoryEntry& c : categories->entries())
            if (c.colour != 0xFFFFFFFF) colours.categories[c.id] = c.colour;
    m.makeReader = [options, colours] { return MakePimRangeReader(options, colours); };
    m.categoryIcons = s.MonthlyPopCatIcons.value() == 1;
    m.iconSize = int(s.MonthlyPopIconsSize.value());
    if (categories)
        m.drawCategoryIcon = [categories](HDC dc, int32_t id, int x, int y, int size) {
            const CategoryEntry* c = categories->CategoryById(id);
            if (!c || !c->icon) return false;
            BITMAP bm = {};
            GetObjectW(c->icon.get(), sizeof bm, &bm);
            raii::MemDC src(CreateCompatibleDC(dc));
            raii::Select sel(src.get(), c->icon.get());
            SetStretchBltMode(dc, COLORONCOLOR);
            return StretchBlt(dc, x, y, size, size, src.get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY) != 0;
        };
    m.redateAppointment = [lang](HWND owner, uint32_t id, double start, int day, bool copy) {
        const LibraryTexts texts(lang);
        return ItemActions(owner, texts).MoveAppointmentToDay(id, start, day, copy);
    };
    return m;
}

}  // namespace daybrim
