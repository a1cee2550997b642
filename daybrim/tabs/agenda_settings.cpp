#include "agenda_settings.h"

#include "mail_items.h"
#include "settings.h"
#include "week_number.h"

namespace daybrim {

namespace {
bool On(const CNumericSetting& v) { return v.value() == 1; }
bool NotZero(const CNumericSetting& v) { return v.value() != 0; }
}  // namespace

AgendaSettings AgendaSettingsFrom(const CSettings& s, int weekRule) {
    AgendaSettings a;
    a.numDays = s.dNumOfDays.Int();
    a.foldingDefault = s.FoldingDfltState.Int();
    a.keepTodayOpen = On(s.SkinTodayWhenCollpsAll);
    a.hideEmptyDays = NotZero(s.HideNoAppoDays);
    a.forceTodayTitle = On(s.ForceTodayTitleDsply);
    a.includeMail = On(s.IncludeMainOnCal);
    a.mailHideWhenZero = On(s.MailHideWhenZeroMsgs);
    a.mailUnderToday = On(s.HideMailTtlUnderToday);
    a.mailUnread = MailUnreadOf;
    a.includeOverdue = On(s.IncldOverDueTsksInCR);
    a.includeUndated = On(s.IncldUndatedTsksInCR);
    a.includeLater = On(s.IncldFutureTsksInCR);
    a.overdueUnderToday = On(s.HideOverDueTsksDayTtl);
    a.undatedUnderToday = On(s.HideUndatedTsksDayTtl);
    const CNumericSetting* order[6] = {&s.CalTitlesOrder0, &s.CalTitlesOrder1, &s.CalTitlesOrder2,
                                       &s.CalTitlesOrder3, &s.CalTitlesOrder4, &s.CalTitlesOrder5};
    for (int i = 0; i < 6; ++i) a.titlesOrder[i] = order[i]->Int();

    a.dayTitleFormat = s.DayTtlFrmt.Int();
    a.customDayTitle = s.CustomDayttlFrmtDefault.value();
    a.tomorrowTitle = On(s.ShowTomorrowTtl);
    a.dateInTodayTitle = On(s.AppendDateToTodayTtl);
    a.daysCountInTitle = On(s.AppendDaysCountTottl);
    a.weekNumberInTitle = On(s.AppendWeekNumTottl);
    a.weekRule = weekRule;
    a.monthlyStartDay = s.MonthlyStartDay.Int();
    a.dayFirstRangeText = On(s.MonthlyPopupCalDateFrmt);

    a.twelveHour = NotZero(s.TimeFormat);
    a.twoDigitHours = On(s.Force2DigitsTImeFrmt);
    a.humanTime = s.HumanTime.Int();
    a.apptDisplayFormat = s.ApptDisplayFormat.Int();
    a.hidePassed = On(s.dAppoPassedToday);
    a.includeTasks = NotZero(s.IncldTasksInCR);
    a.dueDateFormat = s.DueDateTsksDateFrmt.Int();

    a.tasksWithAppts = On(s.ClrSortTsksWithAppts);
    a.tasksBeforeAppts = On(s.PaintTsksBeforeAppts);
    a.tasksSubsort = s.TasksSubsortOnCal.Int();

    a.textColourMode = s.ClrTextColor.Int();
    a.highlightText = s.HighlightTextClr.value();
    a.generalText = s.FontGeneral.color() != kNoColour ? s.FontGeneral.color() : s.GeneralFontColor.value();
    a.statusFont[0] = s.FontCalApptFree.color();
    a.statusFont[1] = s.FontCalTentative.color();
    a.statusFont[2] = s.FontCalApptBusy.color();
    a.statusFont[3] = s.FontCalApptOutOfOffice.color();
    const CNumericSetting* status[4] = {&s.ClrStatusFree, &s.ClrStatusTentative, &s.ClrStatusBusy,
                                        &s.ClrStatusOutofoffice};
    for (int i = 0; i < 4; ++i)
        if (status[i]->value() != kNoColour) a.statusColour[i] = status[i]->value();
    a.pastText = s.FontCalPast.color();
    a.completedText = s.FontCalCompleted.color();
    a.tasksText = s.FontCalTasks.color();
    a.tasksOverdue = s.FontCalTasksOverdue.color();
    a.tasksUndated = s.FontCalTasksUndated.color();
    a.tasksLater = s.FontCalTasksFuture.color();
    a.tasksCompleted = s.FontCalTasksCompleted.color();

    a.titleCounters = On(s.IncldCounters);
    a.mailCounter = On(s.ShowMailCounterOnTtl);
    a.conflicting = s.Conflicting.Int();
    a.timeLines = s.TimeLines.Int();
    a.freeOffTimeline = On(s.FilterFreeApptsFromTL);
    a.timelinesStart = s.TimelinesStart.Int();
    a.timelinesLength = s.TimelinesLength.Int();
    a.horZoom = s.TimelinesHorZ.Int();
    a.vertZoom = s.TimelinesVertZ.Int();
    if (s.TimeLinesBgClr.value() != kNoColour) a.timelineBackground = s.TimeLinesBgClr.value();
    if (s.TimeLinesDfltClr.value() != kNoColour) a.timelineDefault = s.TimeLinesDfltClr.value();
    a.titleCompare = LocaleTitleCompare;
    return a;
}

int LocaleWeekRule(const CSettings& s) {
    wchar_t first[4] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IFIRSTWEEKOFYEAR, first, 4);
    return WeekRuleFromSetting(s.FirstWeekInYear.value(), first[0]);
}

int LocaleTitleCompare(const std::wstring& a, const std::wstring& b) {
    const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), int(a.size()), b.c_str(),
                                 int(b.size()));
    return r == CSTR_LESS_THAN ? -1 : r == CSTR_GREATER_THAN ? 1 : 0;
}

}  // namespace daybrim
