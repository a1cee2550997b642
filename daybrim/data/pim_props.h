// The databases of the PIM volume and the properties the store reads from them,
// each read set with a name for every position in it.
#pragma once
#include <windows.h>

#include "pim_database.h"

namespace daybrim {
namespace pimdb {

constexpr wchar_t kAppointments[] = L"Appointments Database";
constexpr wchar_t kTasks[] = L"Tasks Database";
constexpr wchar_t kContacts[] = L"Contacts Database";
constexpr wchar_t kCategories[] = L"CategoryMainDB";
constexpr wchar_t kAssociations[] = L"CategoryAssocDB";
constexpr CEPROPID kRecId = 0x10000066;
constexpr CEPROPID kPreferred = 0x00F80013;
constexpr CEPROPID kStart = 0x10420040, kRecurring = 0x0022000B;
constexpr CEPROPID kAssocItem = 0x00010013, kAssocCategory = 0x00020003;
constexpr CEPROPID kPiItem = 0x00010003;

// Positions in kAssocProps: which item has which category.
enum AssocProp : WORD { kAssocItemAt, kAssocCategoryAt, kAssocPropCount };
constexpr CEPROPID kAssocProps[kAssocPropCount] = {kAssocItem, kAssocCategory};

// Positions in kApptProps. The light read (no strings, categories or icon) stops
// at kApptLightCount.
enum ApptProp : WORD {
    kApptStart, kApptDuration, kApptRecurring, kApptSensitivity, kApptBusy, kApptAllDay, kApptTimeZone,
    kApptPattern, kApptRecId,
    kApptLightCount,
    kApptNoteText = kApptLightCount, kApptNoteBlob, kApptSubject, kApptLocation, kApptReminder, kApptAttendees,
    kApptPropCount
};
extern const CEPROPID kApptProps[kApptPropCount];

// Positions in kTaskProps.
enum TaskProp : WORD {
    kTaskSubject, kTaskSensitivity, kTaskReminderSet, kTaskStartDate, kTaskDueDate, kTaskImportance,
    kTaskComplete, kTaskDateCompleted, kTaskRecurring, kTaskReminderTime, kTaskNoteText, kTaskNoteBlob,
    kTaskRecId,
    kTaskPropCount
};
extern const CEPROPID kTaskProps[kTaskPropCount];

// Positions in kContactProps. The picture is read only for the picture layout: the
// read without it stops at kContactPicture.
enum ContactProp : WORD {
    kContactPreferred, kContactFileAs, kContactFirstName, kContactLastName, kContactCompany, kContactBirthday,
    kContactAnniversary,
    kContactFirstNumber,  // the ten numbers, in the order PreferredNumber falls back through
    kContactLastNumber = kContactFirstNumber + 9,
    kContactNoteText, kContactNoteBlob, kContactRecId, kContactPicture,
    kContactPropCount
};
extern const CEPROPID kContactProps[kContactPropCount];
constexpr WORD kNumberCount = 10;
extern const CEPROPID kNumberProps[kNumberCount];  // readContactNumbers' argument order

}  // namespace pimdb
}  // namespace daybrim
