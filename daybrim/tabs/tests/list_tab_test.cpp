// The item-list tabs over the test device's \pim.vol: the note the note window is
// given for each kind of item, read from its record, and the task dates and
// reminder dialog changing the record it was opened for.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pim_store.h"
#include "pim_test.h"
#include "settings.h"
#include "shell_env.h"
#include "tab_with_items_list.h"
#include "tasks_tab.h"

using namespace pimtest;

namespace daybrim {
namespace {

constexpr wchar_t kAppts[] = L"Appointments Database";
constexpr wchar_t kTasks[] = L"Tasks Database";
constexpr wchar_t kContacts[] = L"Contacts Database";
constexpr CEPROPID kSubject = 0x0020001F, kNoteText = 0x101F001F, kNoteStream = 0x001E0064;
constexpr CEPROPID kPattern = 0x203F0064, kTaskStart = 0x00620040, kTaskDue = 0x00630040;

constexpr uint32_t Task(uint32_t recid) { return recid - 0x40000000u; }

std::vector<uint8_t> Utf16(const std::u16string& s, bool bom) {
    std::vector<uint8_t> v;
    if (bom) v = {0xFF, 0xFE};
    for (char16_t c : s) {
        v.push_back(uint8_t(c));
        v.push_back(uint8_t(c >> 8));
    }
    return v;
}

class ListTabTest : public PimTest {
protected:
    CPimStore pim_{nullptr};
};

TEST_F(ListTabTest, NotesOfEveryKindFromTheirRecords) {
    std::vector<uint8_t> stream = Utf16(u"from the stream", true);
    const CEOID textAppt = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF701), cedbtest::Str(kSubject, L"Review"),
                                             cedbtest::Str(kNoteText, L"Bring the contract\nand a pen")});
    const CEOID streamAppt = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF702), Blob(kNoteStream, stream)});
    const CEOID bareAppt = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF703), cedbtest::Str(kSubject, L"Bare")});
    // A series whose Wednesday occurrence has a note of its own and whose
    // Monday the 14th was moved keeping the series' note.
    pimcodec::Recurrence r = TenMondaysAndWednesdays();
    pimcodec::Exception own, keeps;
    own.originalDate = Midnight(2026, 12, 9);
    own.start = own.originalDate + 12 * 60;
    own.end = own.start + 60;
    own.notes = Utf16(u"moved to noon", false);
    keeps.originalDate = Midnight(2026, 12, 14);
    keeps.start = keeps.originalDate + 14 * 60;
    keeps.end = keeps.start + 60;
    r.exceptions = {own, keeps};
    std::vector<uint8_t> pattern;
    ASSERT_EQ(pimcodec::Status::kOk, pimcodec::EncodeRecurrence(r, &pattern));
    const CEOID series = vol_.Add(kAppts, {cedbtest::U4(kRecid, 0xF704), cedbtest::U4(0x0022000B, 1),
                                           cedbtest::Str(kNoteText, L"series agenda"), Blob(kPattern, pattern)});
    const CEOID task = vol_.Add(kTasks, {cedbtest::U4(kRecid, 0xF705), cedbtest::Str(kNoteText, L"task note")});
    const CEOID contact =
        vol_.Add(kContacts, {cedbtest::U4(kRecid, 0xF706), cedbtest::Str(kNoteText, L"likes tea\r\n")});

    struct Case {
        const char* name;
        int kind;
        CEOID oid;
        int recurrence;
        uint32_t exceptionDate;
        bool ok;
        std::wstring want;
    };
    const Case cases[] = {
        {"text, lines fitted", kKindAppt, textAppt, 0, 0, true, L"Bring the contract\r\nand a pen"},
        {"stream only", kKindAppt, streamAppt, 0, 0, true, L"from the stream"},
        {"no note at all", kKindAppt, bareAppt, 0, 0, true, L""},
        {"occurrence with its own note", kKindAppt, series, 2, own.originalDate, true, L"moved to noon"},
        {"changed occurrence keeping the series' note", kKindAppt, series, 2, keeps.originalDate, true,
         L"series agenda"},
        {"plain occurrence", kKindAppt, series, 2, 0, true, L"series agenda"},
        {"master", kKindAppt, series, 1, 0, true, L"series agenda"},
        {"task", kKindTask, task, 0, 0, true, L"task note"},
        {"contact", kKindContact, contact, 0, 0, true, L"likes tea\r\n"},
        {"a contact's special event", kKindSEventContact, contact, 0, 0, true, L"likes tea\r\n"},
        {"an appointment's special event", kKindSEventAppt, textAppt, 0, 0, true, L"Bring the contract\r\nand a pen"},
        {"no record", kKindAppt, 0, 0, 0, false, L"?"},
        {"a record gone", kKindTask, 0x7FFFFFF0, 0, 0, false, L"?"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TItemWithNote> item;
        if (c.kind == kKindAppt) {
            auto a = std::make_unique<TApptItem>();
            a->recurrence = c.recurrence;
            a->exceptionDate = c.exceptionDate;
            item = std::move(a);
        } else if (c.kind == kKindTask) {
            item = std::make_unique<TTaskTsks>();
        } else if (c.kind == kKindContact) {
            item = std::make_unique<TContactItem>();
        } else {
            item = std::make_unique<TSEvent>(c.kind);
        }
        item->oid = c.oid;
        std::wstring text = L"?";
        EXPECT_EQ(c.ok, pim_.readNote(*item, &text)) << c.name;
        EXPECT_EQ(c.want, text) << c.name;
    }
    TEmptyItem placeholder;
    std::wstring text;
    EXPECT_FALSE(pim_.readNote(placeholder, &text)) << "a placeholder row has no note";
}

// What the test does to the dialog once it shows: its choice, then OK or Cancel.
struct DialogAnswer {
    bool ok = true;
    bool start = false;
    SYSTEMTIME due = {};
    bool reminder = false;
    SYSTEMTIME when = {};
    bool seen = false;
};
DialogAnswer g_answer;

BOOL CALLBACK FindDialog(HWND w, LPARAM out) {
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (IsWindowVisible(w) && std::wstring(cls) == L"#32770") {
        *reinterpret_cast<HWND*>(out) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg) return;  // not up yet
    KillTimer(nullptr, id);
    g_answer.seen = true;
    CheckDlgButton(dlg, 1115, g_answer.start ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dlg, 1114, BST_CHECKED);
    SendDlgItemMessageW(dlg, 1111, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&g_answer.due));
    CheckDlgButton(dlg, 1092, g_answer.reminder ? BST_CHECKED : BST_UNCHECKED);
    SendDlgItemMessageW(dlg, 1112, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&g_answer.when));
    SendDlgItemMessageW(dlg, 1113, DTM_SETSYSTEMTIME, GDT_VALID, LPARAM(&g_answer.when));
    PostMessageW(dlg, WM_COMMAND, g_answer.ok ? IDOK : IDCANCEL, 0);
}

SYSTEMTIME Local(int y, int mo, int d, int h = 0, int mi = 0) {
    SYSTEMTIME st = {};
    st.wYear = WORD(y);
    st.wMonth = WORD(mo);
    st.wDay = WORD(d);
    st.wHour = WORD(h);
    st.wMinute = WORD(mi);
    return st;
}

TEST_F(ListTabTest, TaskDialogWritesDatesAndReminderToTheRecord) {
    struct Case {
        const char* name;
        bool ok, start, reminder;
        DATE wantStart, wantDue;
        bool wantReminder;
        DATE wantWhen;
    };
    const Case cases[] = {
        {"due moved, start dropped, reminder set", true, false, true, PIM_NODATE, Ole(2026, 12, 10), true,
         Ole(2026, 12, 10, 9, 15)},
        {"cancelled: the record as it was", false, false, true, Ole(2026, 12, 6), Ole(2026, 12, 7), false, 0},
    };
    CSettings settings;
    ShellEnv env;
    env.settings = &settings;
    env.instance = GetModuleHandleW(nullptr);  // the dialog templates are linked in
    uint32_t recid = 0xF711;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CEOID oid = vol_.Add(kTasks, {cedbtest::U4(kRecid, recid), cedbtest::Str(kSubject, L"Report"),
                                            cedbtest::U4(0x0022000B, 0), Ft(kTaskStart, Utc(2026, 12, 6)),
                                            Ft(kTaskDue, Utc(2026, 12, 7))});
        TTaskTsks task;
        task.poomId = Task(recid);
        task.oid = oid;
        task.title = L"Report";
        task.startDate = Ole(2026, 12, 6);
        task.due = Ole(2026, 12, 7);
        CTasksTab tab(&env, &pim_);
        g_answer = DialogAnswer();
        g_answer.ok = c.ok;
        g_answer.start = c.start;
        g_answer.due = Local(2026, 12, 10);
        g_answer.reminder = c.reminder;
        g_answer.when = Local(2026, 12, 10, 9, 15);
        SetTimer(nullptr, 0, 20, AnswerDialog);
        EXPECT_EQ(0, tab.OnContextMenuCommand(&task, kCmdReminder));
        EXPECT_TRUE(g_answer.seen) << "the dialog did not show";

        auto t = Get<ITask>(long(Task(recid)), IID_ITask);
        ASSERT_TRUE(t);
        DATE start = 0, due = 0, when = 0;
        VARIANT_BOOL set = VARIANT_FALSE;
        t->get_StartDate(&start);
        t->get_DueDate(&due);
        t->get_ReminderSet(&set);
        EXPECT_EQ(c.wantStart, start);
        EXPECT_EQ(c.wantDue, due);
        EXPECT_EQ(c.wantReminder, set == VARIANT_TRUE);
        if (c.wantReminder) {
            t->get_ReminderTime(&when);
            EXPECT_NEAR(c.wantWhen, when, 0.5 / 1440);
        }
        ++recid;
    }
}

}  // namespace
}  // namespace daybrim
