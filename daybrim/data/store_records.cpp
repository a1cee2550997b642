// Single-record reads and the one write of the PIM store, for the item's menus and
// for change notifications.
#include "pim_store.h"

#include "note_text.h"
#include "pim_text.h"

namespace daybrim {

using namespace pimdb;

HANDLE CPimStore::ReadHandle(DWORD notify, const wchar_t* name, PimDatabase& own) {
    // The watched database when it is open, saving a mount and an open per read.
    PimDatabase& watched = Watched(notify);
    return watched.isOpen() ? watched.handle() : own.open(name, false, nullptr, nullptr, opt_.cat.pimVolume);
}

namespace {
bool ReadRecord(HANDLE h, CEOID oid, RecordProps& r, const CEPROPID* ids, WORD count) {
    DWORD index = 0;
    return h && CeSeekDatabaseEx(h, CEDB_SEEK_CEOID, oid, 0, &index) && r.read(h, ids, count);
}
}  // namespace

std::unique_ptr<TApptItem> CPimStore::readAppointment(CEOID oid, bool light) {
    PimDatabase own;
    RecordProps r;
    if (!ReadRecord(ReadHandle(kNotifyAppointments, kAppointments, own), oid, r, kApptProps,
                    light ? kApptLightCount : kApptPropCount))
        return nullptr;
    auto a = std::make_unique<TApptItem>();
    a->oid = oid;
    FillAppointment(r, *a, light);
    return a;
}

std::unique_ptr<TTask> CPimStore::readTask(CEOID oid, bool onCalendar) {
    PimDatabase own;
    RecordProps r;
    if (!ReadRecord(ReadHandle(kNotifyTasks, kTasks, own), oid, r, kTaskProps, kTaskPropCount)) return nullptr;
    std::unique_ptr<TTask> t;
    if (onCalendar) t = std::make_unique<TTaskClr>();
    else t = std::make_unique<TTaskTsks>();
    t->oid = oid;
    FillTask(r, *t);
    return t;
}

std::unique_ptr<TContactItem> CPimStore::readContact(CEOID oid) {
    PimDatabase own;
    RecordProps r;
    if (!ReadRecord(ReadHandle(kNotifyContacts, kContacts, own), oid, r, kContactProps,
                    opt_.contactsLayout == 2 ? kContactPropCount : kContactPicture))
        return nullptr;
    auto c = std::make_unique<TContactItem>();
    c->oid = oid;
    FillContact(r, *c);
    return c;
}

bool CPimStore::readNote(const TItem& item, std::wstring* text) {
    const TItemWithNote* owner = dynamic_cast<const TItemWithNote*>(&item);
    if (!owner || !owner->oid || !text) return false;
    DWORD notify;
    const wchar_t* name;
    switch (item.Kind()) {
    case kKindAppt:
    case kKindSEventAppt: notify = kNotifyAppointments, name = kAppointments; break;
    case kKindTask: notify = kNotifyTasks, name = kTasks; break;
    case kKindSEventOnCalendar:
    case kKindSEventContact:
    case kKindContact: notify = kNotifyContacts, name = kContacts; break;
    default: return false;
    }
    // The text, the stream and (for a changed occurrence) the series' pattern,
    // where the occurrence's own note is kept.
    enum : WORD { kText, kStream, kPattern, kCount };
    static const CEPROPID ids[kCount] = {0x101F001F, 0x001E0064, 0x203F0064};
    const TApptItem* occurrence = dynamic_cast<const TApptItem*>(&item);
    const bool changed = occurrence && occurrence->recurrence == 2 && occurrence->exceptionDate != 0;
    PimDatabase own;
    RecordProps r;
    if (!ReadRecord(ReadHandle(notify, name, own), owner->oid, r, ids, changed ? kCount : kPattern)) return false;
    std::vector<uint8_t> bytes;
    if (changed) {
        std::vector<uint8_t> pattern;
        r.blob(kPattern, ids[kPattern], &pattern);
        if (ExceptionNote(pattern, occurrence->exceptionDate, &bytes)) {
            *text = NoteFromBytes(bytes.data(), bytes.size());
            return true;
        }
    }
    if (r.has(kText, ids[kText])) {
        const std::wstring t = r.text(kText, ids[kText]);
        if (!t.empty()) {
            *text = NoteForDisplay(t);
            return true;
        }
    }
    r.blob(kStream, ids[kStream], &bytes);
    *text = NoteFromBytes(bytes.data(), bytes.size());
    return true;
}

namespace {
// Reads `ids` of one contact into `out` (a missing property leaves its output).
bool ReadContactTexts(const std::wstring& volume, CEOID oid, const CEPROPID* ids, WORD n, std::wstring** out) {
    PimDatabase db;
    RecordProps r;
    if (!db.open(kContacts, false, nullptr, nullptr, volume) || !db.seek(CEDB_SEEK_CEOID, oid) ||
        !r.read(db.handle(), ids, n))
        return false;
    for (WORD i = 0; i < n; ++i)
        if (out[i] && r.has(i, ids[i])) *out[i] = r.text(i, ids[i]);
    return true;
}
}  // namespace

bool CPimStore::readContactNumbers(CEOID oid, std::wstring* out[kNumberCount]) {
    return ReadContactTexts(opt_.cat.pimVolume, oid, kNumberProps, kNumberCount, out);
}

bool CPimStore::readContactMails(CEOID oid, std::wstring* out[3]) {
    static const CEPROPID ids[3] = {0x0090001F, 0x0091001F, 0x0092001F};
    return ReadContactTexts(opt_.cat.pimVolume, oid, ids, 3, out);
}

bool CPimStore::readContactNames(CEOID oid, std::wstring* out[4]) {
    static const CEPROPID ids[3] = {0x0082001F, 0x0084001F, 0x008A001F};
    std::wstring first, last, company;
    std::wstring* parts[3] = {&first, &last, &company};
    if (!ReadContactTexts(opt_.cat.pimVolume, oid, ids, 3, parts)) return false;
    const ContactNameTexts t = BuildContactNames(first, last, company);
    const std::wstring* texts[4] = {&t.lastFirst, &t.firstLast, &t.companyNames, &t.namesCompany};
    for (int i = 0; i < 4; ++i)
        if (out[i]) *out[i] = *texts[i];
    return true;
}

bool CPimStore::writePreferredNumber(CEOID oid, CEPROPID numberProp) {
    PimDatabase db;
    if (!db.open(kContacts, false, nullptr, nullptr, opt_.cat.pimVolume) || !db.seek(CEDB_SEEK_CEOID, oid))
        return false;
    CEPROPVAL v = {};
    v.propid = kPreferred;
    v.val.ulVal = (numberProp & 0xFFFF0000u) | CEVT_LPWSTR;
    if (!CeWriteRecordProps(db.handle(), oid, 1, &v)) return false;
    db.flush();
    return true;
}

}  // namespace daybrim
