#include "tab_factory.h"

#include "builtin_tab.h"
#include "calendar_tab.h"
#include "contacts_tab.h"
#include "custom_tabs.h"
#include "messages_tab.h"
#include "notes_tab.h"
#include "sevents_tab.h"
#include "tab_bar_window.h"
#include "tab_types.h"
#include "tasks_tab.h"

namespace daybrim {

std::unique_ptr<CTab> CreateTabFor(const ShellEnv* env, CSettings& s, const TTabDescriptor& d) {
    struct Row {
        DWORD type;
        const wchar_t* name;
        const wchar_t* main;
        const wchar_t* caption;
        uint32_t flags;
        CNumericSetting* slide;
        CNumericSetting* direction;
        const wchar_t* captionBase;
        const wchar_t* categoryBase;
        int res;
    };
    const Row rows[] = {
        {TAB_TYPE_CALENDAR, L"Calendar", L"DRCalendarTab", L"DRCalendarTabControl", kCaptionCategory, nullptr, nullptr,
         L"calendar", L"category_cal", 0},
        {TAB_TYPE_TASKS, L"Tasks", L"DRTasksTab", L"DRTasksTabControl", 3, &s.TasksSlideoutOpen, &s.TsksGroupingDirctn,
         L"task", L"category_tsk", 247},
        {TAB_TYPE_NOTES, L"Notes", L"DRNotesTab", L"DRNotesTabControl", 3, &s.NotesSlideoutOpen,
         &s.NotesGroupingDirctn, L"notes", L"category_notes", 427},
        {TAB_TYPE_CONTACTS, L"Contacts", L"DRContactsTab", L"DRContactsTabControl", 3, &s.ContactsSlideoutOpen,
         &s.ContactsGroupingDirection, L"contacts", L"category_sevnts", 263},
        {TAB_TYPE_MAIL, L"Mail", L"DRMailTab", L"DRMailTabControl", 0, nullptr, nullptr, L"messages", L"", 414},
        {TAB_TYPE_SEVENTS, L"Special Events", L"DRSEventsTab", L"DRSEventsTabControl", 2, nullptr, nullptr,
         L"sevents", L"category_sevnts", 248},
    };
    const int id = int(d.order);
    for (const Row& r : rows) {
        if (r.type != d.type) continue;
        CPimStore* pim = env ? env->pim : nullptr;
        std::unique_ptr<CBuiltInTab> t;
        switch (r.type) {
        case TAB_TYPE_CALENDAR: t.reset(new CCalendarTab(env, pim)); break;
        case TAB_TYPE_TASKS: t.reset(new CTasksTab(env, pim)); break;
        case TAB_TYPE_NOTES: t.reset(new CNotesTab(env)); break;
        case TAB_TYPE_CONTACTS: t.reset(new CContactsTab(env, pim)); break;
        case TAB_TYPE_MAIL: t.reset(new CMessagesTab(env, env ? env->mail : nullptr)); break;
        case TAB_TYPE_SEVENTS: t.reset(new CSEventsTab(env, pim)); break;
        default: t.reset(new CPlaceholderTab(env, d.type)); break;
        }
        t->Initialize(id, L"", r.name, r.main, r.caption, r.flags, r.slide, r.direction, r.captionBase,
                      r.categoryBase, r.res);
        return std::unique_ptr<CTab>(t.release());
    }
    if (d.type == TAB_TYPE_DESIGNED) {
        std::unique_ptr<CCustomDesignedTab> t(new CCustomDesignedTab(d.dll, d.installPath));
        t->SetIdentity(id, d.customIconName, d.displayName);
        return std::unique_ptr<CTab>(t.release());
    }
    if (d.type == TAB_TYPE_TODAY_ITEM) {
        std::unique_ptr<CCustomTab> t(new CCustomTab(env, d.displayName, d.dll));
        const std::wstring icon = d.customIconName.empty() ? L"custom1" : d.customIconName;
        t->Initialize(id, d.customIconName, d.displayName, L"CustomTabWin", L"CustomTabControl", 0, nullptr, nullptr,
                      icon, L"", 359);
        return std::unique_ptr<CTab>(t.release());
    }
    return nullptr;  // not one of the tab types
}

std::unique_ptr<CTabBar> CreateTabBar(const ShellEnv* env) { return std::unique_ptr<CTabBar>(new CTabBarWindow(env)); }

}  // namespace daybrim
