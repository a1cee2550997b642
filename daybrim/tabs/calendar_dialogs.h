// The Calendar's small dialogs: an appointment's reminder (378), a task's
// dates and reminder (379) and the quick appointment picker over a day's
// timeline (233). Both are templates in
// the Today item's own resources.
#pragma once
#include <windows.h>

#include <string>

#include "calendar_input.h"
#include "dialog.h"

namespace daybrim {

class TextSource;

class CReminderDialog : public win::Dialog {
public:
    CReminderDialog(const TextSource& text, const std::wstring& subject, bool on, long minutes)
        : text_(text), subject_(subject), on_(on), minutes_(minutes) {}
    // True on OK, with the choice in on() and minutes().
    bool Run(HINSTANCE module, HWND owner);
    bool on() const { return on_; }
    long minutes() const { return minutes_; }

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnInit();
    void EnableBoxes();
    bool Take();

    const TextSource& text_;
    std::wstring subject_;
    bool on_;
    long minutes_;
};

// A task's start and due dates and its reminder (date and time).
struct TaskReminderChoice {
    bool hasStart = false, hasDue = false, reminder = false;
    double start = 0, due = 0;  // day numbers
    double when = 0;            // the reminder's date and time
};

class CTaskReminderDialog : public win::Dialog {
public:
    CTaskReminderDialog(const TextSource& text, const std::wstring& subject, const TaskReminderChoice& now)
        : text_(text), subject_(subject), choice_(now) {}
    // True on OK, with the choice in choice().
    bool Run(HINSTANCE module, HWND owner);
    const TaskReminderChoice& choice() const { return choice_; }

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnInit();
    void EnableBoxes();
    void Take();

    const TextSource& text_;
    std::wstring subject_;
    TaskReminderChoice choice_;
};

class CQuickApptDialog : public win::Dialog {
public:
    // The day's hours from `firstHour` to `lastHour`; the dialog is put at `where`
    // (screen coordinates).
    CQuickApptDialog(int32_t day, int firstHour, int lastHour, const RECT& where)
        : day_(day), firstHour_(firstHour), lastHour_(lastHour), where_(where),
          range_(firstHour, lastHour, where.right - where.left) {}
    // True when a range was picked.
    bool Run(HINSTANCE module, HWND owner, double* start, double* end);

private:
    INT_PTR DlgProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void OnPaint();
    int StripHeight() const;
    int ButtonAt(int x, int y) const;  // 0 create, 1 close, -1 none

    int32_t day_;
    int firstHour_, lastHour_;
    RECT where_;
    QuickRange range_;
    bool picking_ = false;
};

}  // namespace daybrim
