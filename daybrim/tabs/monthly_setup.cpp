#include "monthly_setup.h"

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
    explicit PimRangeReader(const PimOptions& options) : options_(options), store_(nullptr) {}

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
                    out->days[size_t(d - first)].Add(d, a.start, a.end, a.allDay,
                                                     monthly::DayTimeline::kDefaultColour);
                }
        }
        // Nothing of the read is kept between months.
        store_.Stop();
        return out;
    }

private:
    const PimOptions options_;
    CPimStore store_;
};

}  // namespace

std::unique_ptr<monthly::RangeReader> MakePimRangeReader(const PimOptions& options) {
    return std::make_unique<PimRangeReader>(options);
}

MonthlySetup MonthlySetupFrom(const CSettings& s, const CSkin& skin, const CImageCache* images, int weekRule,
                              HINSTANCE inst, HMODULE lang, const PimOptions& options, int today) {
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
    m.makeReader = [options] { return MakePimRangeReader(options); };
    m.redateAppointment = [lang](HWND owner, uint32_t id, double start, int day, bool copy) {
        const LibraryTexts texts(lang);
        return ItemActions(owner, texts).MoveAppointmentToDay(id, start, day, copy);
    };
    return m;
}

}  // namespace daybrim
