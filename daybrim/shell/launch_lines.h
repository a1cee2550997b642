// What the launchers hand to other programs, built without starting anything: the
// command lines of the PIM programs and the mail program, the number the phone is
// given, the bridge's request block and the command ids of menu extensions.
#pragma once
#include <cstdint>
#include <string>

namespace launch {

// The OLE automation date that stands for "no date given".
constexpr double kNoDate = 949998.0;

// "PimSw": the organiser the user works with.
enum PimApp { kPocketOutlook = 0, kPocketInformant = 1, kAgendaFusion = 2, kAgendaOne = 3 };
// The views the menus open.
enum View { kCalendarView, kTasksView, kNotesView, kContactsView };
// The kinds of item a new one can be.
enum NewKind { kNewAppointment = 0, kNewTask = 1, kNewContact = 2, kNewNote = 3 };

// The characters of `number` the phone can dial (digits and p + # * , w), from its
// first 255 characters.
std::wstring DialableNumber(const std::wstring& number);

// An item's text as one double-quoted argument that cannot end early: double quotes
// become single ones, control characters spaces, and backslashes before the closing
// quote are doubled so that they cannot escape it.
std::wstring Quoted(const std::wstring& text);

// Minutes since 1 January 1601 of an OLE date, truncated to 32 bits.
uint32_t MinuteCount(double oleDate);

// Pocket Outlook ("\windows\poutlook.exe" argument), Pocket Informant view code
// (before translation) or Agenda Fusion/One command of a view; empty when that
// organiser has no such view (the Notes program is started instead).
std::wstring PocketOutlookView(View v);
std::wstring PocketInformantView(View v);
std::wstring AgendaFusionView(View v);
std::wstring AgendaOneView(View v);
// Version 600 and later number Pocket Informant's views differently.
std::wstring TranslatePocketInformantView(const std::wstring& view, unsigned version);

// Agenda Fusion's command strings; AgendaFusionCommand adds what keeps it running.
std::wstring AgendaFusionOpenOnDay(uint32_t oid, double day);
std::wstring AgendaFusionOpenItem(uint32_t oid);
std::wstring AgendaFusionOpenTaskInMain(uint32_t oid);
std::wstring AgendaFusionOpenAtTimeInMain(uint32_t oid, double when);
std::wstring AgendaFusionNew(NewKind kind, double first, double second, const std::wstring& subject);
std::wstring AgendaFusionCommand(const std::wstring& command, bool leaveRunning);

// Agenda One's command strings.
std::wstring AgendaOneGoto(const std::wstring& view, double day);
std::wstring AgendaOneOpen(uint32_t oid, double day);
std::wstring AgendaOneNew(NewKind kind, double day);  // appointments and tasks only

// The mail program's parameters: a new message (to the address, when given) or the
// inbox, of the account `service` when one is named.
std::wstring MailParameters(bool compose, const std::wstring& to, const std::wstring& service);

// The bridge's request block as the 32-bit device lays it out: fixed-width fields,
// explicit padding, texts UTF-16 with a terminator in 256 characters.
struct PimBridgeRequest {
    int32_t app;           // 0 Pocket Outlook, 1 Pocket Informant
    int32_t verb;          // 0 show, 1 edit, 2 create, 3 created from a template
    int32_t kind;          // 0 appointment, 1 task, 2 contact, 3 note
    int32_t pad0;
    int32_t showId;        // show: the item's POOM identifier
    int32_t pad1;
    double showDay;        // show appointment: the occurrence's day
    char16_t notePath[256];  // show note: the document's full path
    int32_t showFlag;      // show appointment or task: passed through from the caller
    int32_t pad2;
    int32_t editId;        // edit: the item's POOM identifier
    int32_t pad3;
    double editDay;        // edit appointment: the day
    double start, end;     // create appointment or task; kNoDate when not given
    char16_t category[256];  // create appointment or task; empty for none
    int32_t newId;         // verb 3: the new item's POOM identifier
    int32_t pad4;
    double createdFor;     // verb 3: the date the item was created for
};
static_assert(sizeof(PimBridgeRequest) == 1112, "the bridge reads 1112 bytes");

enum BridgeVerb { kShow = 0, kEdit = 1, kCreate = 2, kFromTemplate = 3 };
enum BridgeKind { kBridgeAppointment = 0, kBridgeTask = 1, kBridgeContact = 2, kBridgeNote = 3 };

PimBridgeRequest BridgeShow(int app, BridgeKind kind, int32_t poomId, double day, int32_t flag);
PimBridgeRequest BridgeEdit(int app, BridgeKind kind, int32_t poomId, double day);
PimBridgeRequest BridgeFromTemplate(BridgeKind kind, int32_t poomId, double createdFor);
// False, with the block untouched, when a text does not fit its field: a cut path
// would name another document and a cut category another category.
bool BridgeShowNote(const std::wstring& path, PimBridgeRequest* out);
bool BridgeCreate(int app, BridgeKind kind, double start, double end, const std::wstring& category,
                  PimBridgeRequest* out);

// Command ids of the extensions in one item menu. Old-style add-ins take one id;
// a context-menu extension is offered kMaxPerExtension ids and keeps those it used:
// the larger of the count it returned and the highest id it put in the menu. Every
// extension's range is its own.
class CommandIds {
public:
    static constexpr unsigned kFirst = 6000;
    static constexpr unsigned kMaxPerExtension = 50;
    unsigned next() const { return next_; }
    // The id of an old-style add-in.
    unsigned TakeOne() { return next_++; }
    // The last id a context-menu extension starting at next() may use.
    unsigned Limit() const { return next_ + kMaxPerExtension - 1; }
    // After QueryContextMenu: `returned` is the count it reported (0 on failure),
    // `highest` the highest id in the menu (0 when none). Returns the end of the
    // extension's range [first, end).
    unsigned Commit(unsigned returned, unsigned highest);

private:
    unsigned next_ = kFirst;
};

}  // namespace launch
