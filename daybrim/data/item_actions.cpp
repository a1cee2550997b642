#include "item_actions.h"

#include <pimstore.h>

#include <cmath>
#include <optional>

#include "com_base.h"
#include "raii.h"

namespace daybrim {

namespace {

// COM, the application and its logon, released in reverse order.
class Poom {
public:
    explicit Poom(HWND owner) : com_(COINIT_MULTITHREADED) {
        // The Today screen's thread may already be in an apartment of its own:
        // COM is usable there all the same.
        if (!com_ && com_.result() != RPC_E_CHANGED_MODE) return;
        if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                    reinterpret_cast<void**>(app_.out()))) ||
            !app_)
            return;
        session_.emplace(app_.get(), long(reinterpret_cast<intptr_t>(owner)));
    }
    ~Poom() {
        session_.reset();
        app_.reset();
    }
    Poom(const Poom&) = delete;
    Poom& operator=(const Poom&) = delete;

    bool ok() const { return session_ && session_->ok(); }
    IPOutlookApp2* app() const { return ok() ? app_.get() : nullptr; }

    template <typename I>
    raii::ComPtr<I> Get(uint32_t id, const IID& iid) const {
        raii::ComPtr<I> out;
        if (!ok()) return out;
        raii::ComPtr<IDispatch> d;
        if (SUCCEEDED(app_->GetItemFromOid(long(id), d.out())) && d)
            d->QueryInterface(iid, reinterpret_cast<void**>(out.out()));
        return out;
    }

private:
    const com::Init com_;
    raii::ComPtr<IPOutlookApp2> app_;
    std::optional<com::Session<IPOutlookApp2>> session_;
};

bool Recurring(IAppointment* a) {
    VARIANT_BOOL b = VARIANT_FALSE;
    return SUCCEEDED(a->get_IsRecurring(&b)) && b != VARIANT_FALSE;
}

}  // namespace

int ItemActions::Ask(unsigned textId, unsigned captionId, UINT buttons) const {
    return MessageBoxW(owner_, text_.String(textId).c_str(), text_.String(captionId).c_str(), buttons);
}

bool ItemActions::DeleteItem(const TItem& item) {
    switch (item.Kind()) {
    case kKindAppt:
        return DeleteAppointment(item.Id(), static_cast<const TApptItem&>(item).start);
    case kKindSEventAppt:
        return DeleteAppointment(item.Id(), static_cast<const TSEvent&>(item).date);
    case kKindTask:
        return DeleteTask(item.Id());
    case kKindSEventOnCalendar:
    case kKindSEventContact:
    case kKindContact:
        return DeleteContact(item.Id());
    default:
        return false;
    }
}

// The series, or after the question the occurrence on `day`; null when the user
// cancels or the occurrence is missing (which is told).
static raii::ComPtr<IAppointment> ChooseOccurrence(const raii::ComPtr<IAppointment>& series, double day, int answer,
                                                   HWND owner, const TextSource& text) {
    raii::ComPtr<IAppointment> none;
    if (answer == IDNO) return series;
    if (answer != IDYES) return none;
    raii::ComPtr<IRecurrencePattern> pattern;
    raii::ComPtr<IAppointment> occurrence;
    if (SUCCEEDED(series->GetRecurrencePattern(pattern.out())) && pattern &&
        SUCCEEDED(pattern->GetOccurrence(day, occurrence.out())) && occurrence)
        return occurrence;
    MessageBoxW(owner, text.String(text_id::kNoOccurrence).c_str(), text.String(text_id::kErrorCaption).c_str(),
                MB_OK | MB_ICONERROR);
    return none;
}

bool ItemActions::DeleteAppointment(uint32_t id, double day) {
    const Poom poom(owner_);
    raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment);
    if (!appt) return false;
    if (Recurring(appt.get())) {
        const int answer = Ask(text_id::kDeleteOccurrence, text_id::kAppointmentCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        raii::ComPtr<IAppointment> target = ChooseOccurrence(appt, day, answer, owner_, text_);
        return target && SUCCEEDED(target->Delete());
    }
    if (Ask(text_id::kDeleteAppointment, text_id::kAppointmentCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    return SUCCEEDED(appt->Delete());
}

bool ItemActions::DeleteTask(uint32_t id) {
    const Poom poom(owner_);
    raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask);
    if (!task) return false;
    VARIANT_BOOL recurring = VARIANT_FALSE;
    task->get_IsRecurring(&recurring);
    if (recurring != VARIANT_FALSE) {
        const int answer = Ask(text_id::kSkipTaskOccurrence, text_id::kTaskCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDYES) return SUCCEEDED(task->SkipRecurrence());
        if (answer == IDNO) return SUCCEEDED(task->Delete());
        return false;
    }
    if (Ask(text_id::kDeleteTask, text_id::kTaskCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
    return SUCCEEDED(task->Delete());
}

bool ItemActions::DeleteContact(uint32_t id) {
    const Poom poom(owner_);
    raii::ComPtr<IContact> contact = poom.Get<IContact>(id, IID_IContact);
    if (!contact) return false;
    com::Bstr name;
    contact->get_FileAs(name.out());
    std::wstring caption = name.str();
    if (caption.empty()) caption = text_.String(text_id::kContactCaption);
    if (MessageBoxW(owner_, text_.String(text_id::kDeleteContact).c_str(), caption.c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    return SUCCEEDED(contact->Delete());
}

bool ItemActions::SetContactFileAs(uint32_t id, const std::wstring& fileAs) {
    const Poom poom(owner_);
    raii::ComPtr<IContact> contact = poom.Get<IContact>(id, IID_IContact);
    if (!contact) return false;
    const com::Bstr text(fileAs.c_str());
    return SUCCEEDED(contact->put_FileAs(text.get())) && SUCCEEDED(contact->Save());
}

bool ItemActions::MarkAppointmentDone(uint32_t id, double day, bool done) {
    const Poom poom(owner_);
    raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment);
    if (!appt) return false;
    if (Recurring(appt.get())) {
        const int answer = Ask(text_id::kOccurrenceOnly, text_id::kOccurrenceCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        appt = ChooseOccurrence(appt, day, answer, owner_, text_);
        if (!appt) return false;
    }
    com::Bstr subject;
    if (FAILED(appt->get_Subject(subject.out()))) return false;
    const com::Bstr marked(MarkDone(subject.str(), done).c_str());
    return SUCCEEDED(appt->put_Subject(marked.get())) && SUCCEEDED(appt->Save());
}

bool ItemActions::SetTaskDates(uint32_t id, double startDate, double dueDate, bool complete, double completedDate) {
    const Poom poom(owner_);
    raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask);
    if (!task) return false;
    bool ok = SUCCEEDED(task->put_StartDate(startDate)) && SUCCEEDED(task->put_DueDate(dueDate)) &&
              SUCCEEDED(task->put_Complete(VARIANT_FALSE)) && SUCCEEDED(task->put_DateCompleted(PIM_NODATE)) &&
              SUCCEEDED(task->Save());
    // Completing a task whose new dates were not saved would store a half change.
    if (ok && complete)
        ok = SUCCEEDED(task->put_Complete(VARIANT_TRUE)) && SUCCEEDED(task->put_DateCompleted(completedDate)) &&
             SUCCEEDED(task->Save());
    if (!ok)
        MessageBoxW(owner_, text_.String(text_id::kTaskSaveFailed).c_str(), L"", MB_OK | MB_ICONERROR);
    return ok;
}

bool ItemActions::CompleteTask(uint32_t id, double completedDate) {
    const Poom poom(owner_);
    raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask);
    return task && SUCCEEDED(task->put_Complete(VARIANT_TRUE)) &&
           SUCCEEDED(task->put_DateCompleted(completedDate)) && SUCCEEDED(task->Save());
}

// A new appointment with the texts, flags and reminder of `from`; its times are
// the caller's.
static raii::ComPtr<IAppointment> NewAppointmentLike(IPOutlookApp2* app, IAppointment* from) {
    raii::ComPtr<IAppointment> none, to;
    raii::ComPtr<IDispatch> d;
    if (!app || FAILED(app->CreateItem(olAppointmentItem, d.out())) || !d ||
        FAILED(d->QueryInterface(IID_IAppointment, reinterpret_cast<void**>(to.out()))) || !to)
        return none;
    com::Bstr subject, location, body, categories;
    from->get_Subject(subject.out());
    from->get_Location(location.out());
    from->get_Body(body.out());
    from->get_Categories(categories.out());
    VARIANT_BOOL allDay = VARIANT_FALSE, reminder = VARIANT_FALSE;
    long busy = 0, sensitivity = 0, before = 0;
    from->get_AllDayEvent(&allDay);
    from->get_BusyStatus(&busy);
    from->get_Sensitivity(&sensitivity);
    from->get_ReminderSet(&reminder);
    from->get_ReminderMinutesBeforeStart(&before);
    to->put_Subject(subject.get());
    to->put_Location(location.get());
    to->put_Body(body.get());
    to->put_Categories(categories.get());
    to->put_AllDayEvent(allDay);
    to->put_BusyStatus(busy);
    to->put_Sensitivity(sensitivity);
    to->put_ReminderSet(reminder);
    to->put_ReminderMinutesBeforeStart(before);
    return to;
}

bool ItemActions::MoveAppointmentToDay(uint32_t id, double itemStart, int32_t day, bool copy) {
    const Poom poom(owner_);
    raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment);
    if (!appt) return false;
    if (Recurring(appt.get())) appt = ChooseOccurrence(appt, itemStart, IDYES, owner_, text_);
    if (!appt) return false;
    DATE start = 0;
    long minutes = 0;
    if (FAILED(appt->get_Start(&start)) || FAILED(appt->get_Duration(&minutes))) return false;
    const double to = double(day) + (start - std::floor(start));
    if (!copy) return SUCCEEDED(appt->put_Start(to)) && SUCCEEDED(appt->Save());
    raii::ComPtr<IAppointment> made = NewAppointmentLike(poom.app(), appt.get());
    // Start first: setting it keeps the length, which the duration then sets.
    return made && SUCCEEDED(made->put_Start(to)) && SUCCEEDED(made->put_Duration(minutes)) &&
           SUCCEEDED(made->Save());
}

bool ItemActions::TogglePrivate(uint32_t id) {
    const Poom poom(owner_);
    if (raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment)) {
        long s = 0;
        if (FAILED(appt->get_Sensitivity(&s))) return false;
        return SUCCEEDED(appt->put_Sensitivity(s == olPrivate ? olNormal : olPrivate)) && SUCCEEDED(appt->Save());
    }
    if (raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask)) {
        long s = 0;
        if (FAILED(task->get_Sensitivity(&s))) return false;
        return SUCCEEDED(task->put_Sensitivity(s == olPrivate ? olNormal : olPrivate)) && SUCCEEDED(task->Save());
    }
    return false;
}

bool ItemActions::SetBusyStatus(uint32_t id, int status) {
    if (status < 0 || status > 3) return false;
    const Poom poom(owner_);
    raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment);
    return appt && SUCCEEDED(appt->put_BusyStatus(status)) && SUCCEEDED(appt->Save());
}

bool ItemActions::SetImportance(uint32_t id, int importance) {
    if (importance < 0 || importance > 2) return false;
    const Poom poom(owner_);
    raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask);
    return task && SUCCEEDED(task->put_Importance(importance)) && SUCCEEDED(task->Save());
}

bool ItemActions::SetAppointmentReminder(uint32_t id, bool on, long minutes) {
    if (minutes < 0) return false;
    const Poom poom(owner_);
    raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment);
    if (!appt || FAILED(appt->put_ReminderSet(on ? VARIANT_TRUE : VARIANT_FALSE))) return false;
    if (on && FAILED(appt->put_ReminderMinutesBeforeStart(minutes))) return false;
    return SUCCEEDED(appt->Save());
}

bool ItemActions::GetAppointmentReminder(uint32_t id, bool* on, long* minutes) {
    const Poom poom(owner_);
    raii::ComPtr<IAppointment> appt = poom.Get<IAppointment>(id, IID_IAppointment);
    VARIANT_BOOL set = VARIANT_FALSE;
    long m = 0;
    if (!appt || FAILED(appt->get_ReminderSet(&set)) || FAILED(appt->get_ReminderMinutesBeforeStart(&m))) return false;
    *on = set != VARIANT_FALSE;
    *minutes = m;
    return true;
}

bool ItemActions::SetTaskReminder(uint32_t id, bool on, double when) {
    const Poom poom(owner_);
    raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask);
    if (!task || FAILED(task->put_ReminderSet(on ? VARIANT_TRUE : VARIANT_FALSE))) return false;
    if (on && FAILED(task->put_ReminderTime(when))) return false;
    return SUCCEEDED(task->Save());
}

bool ItemActions::GetTaskReminder(uint32_t id, bool* on, double* when) {
    const Poom poom(owner_);
    raii::ComPtr<ITask> task = poom.Get<ITask>(id, IID_ITask);
    VARIANT_BOOL set = VARIANT_FALSE;
    DATE t = 0;
    if (!task || FAILED(task->get_ReminderSet(&set)) || FAILED(task->get_ReminderTime(&t))) return false;
    *on = set != VARIANT_FALSE;
    *when = t;
    return true;
}

}  // namespace daybrim
