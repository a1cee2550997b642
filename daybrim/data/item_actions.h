// The changes the tabs make to PIM items, through Pocket Outlook's object model.
// Each action logs on, finds the item by its POOM identifier, acts and logs off;
// the lists learn of the change through the database notifications. Questions
// and failures are asked and told in message boxes with the language library's
// texts.
#pragma once
#include <windows.h>

#include <cstdint>

#include "item_text.h"
#include "items.h"

namespace daybrim {

class ItemActions {
public:
    ItemActions(HWND owner, const TextSource& text) : owner_(owner), text_(text) {}

    // Each returns true when the item was changed. A failed logon or a missing
    // item ends an action silently with false.
    bool DeleteItem(const TItem& item);
    // `day`: the occurrence of a recurring appointment, when the user picks it.
    bool DeleteAppointment(uint32_t id, double day);
    bool DeleteTask(uint32_t id);
    bool DeleteContact(uint32_t id);
    bool MarkAppointmentDone(uint32_t id, double day, bool done);
    // Dates set and completion cleared; then completed on `completedDate` when
    // `complete`. Stops at, and reports, the first step that fails.
    bool SetTaskDates(uint32_t id, double startDate, double dueDate, bool complete, double completedDate);
    bool CompleteTask(uint32_t id, double completedDate);
    // Puts the appointment (for a series, its occurrence that starts at
    // `itemStart`) on `day` at the same time of day and for as long: moved, or
    // with `copy` a new single appointment like it.
    bool MoveAppointmentToDay(uint32_t id, double itemStart, int32_t day, bool copy);
    // Private (2) becomes normal (0), anything else private; appointments and tasks.
    bool TogglePrivate(uint32_t id);
    // Busy status 0 free, 1 tentative, 2 busy, 3 out of office.
    bool SetBusyStatus(uint32_t id, int status);
    // Importance 0 low, 1 normal, 2 high.
    bool SetImportance(uint32_t id, int importance);
    // The appointment's reminder: on or off, and its lead time in minutes.
    bool SetAppointmentReminder(uint32_t id, bool on, long minutes);
    bool GetAppointmentReminder(uint32_t id, bool* on, long* minutes);
    // The contact's file-as name.
    bool SetContactFileAs(uint32_t id, const std::wstring& fileAs);
    // A task's reminder: on at `when` (an OLE date and time), or off.
    bool SetTaskReminder(uint32_t id, bool on, double when);
    bool GetTaskReminder(uint32_t id, bool* on, double* when);

private:
    int Ask(unsigned textId, unsigned captionId, UINT buttons) const;

    HWND owner_;
    const TextSource& text_;
};

}  // namespace daybrim
