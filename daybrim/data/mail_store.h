// The mail store: logs on to the device's messaging, reads every account's inbox
// into a MailModel, keeps it current from the stores' notifications and carries
// out the message actions (read flag, delete) and body reads for the tabs.
//
// Messages are named by account index and entry identifier. Every change, whether
// made here or announced by a store, lands in the model, and the host window is
// told with WM_DR_MAILCHANGED (sent, on the host's thread).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "mail_model.h"

#define WM_DR_MAILCHANGED 1284

struct IMsgStore;
struct IMAPISession;

namespace daybrim {

class MailStore {
public:
    explicit MailStore(HWND host);
    ~MailStore();
    MailStore(const MailStore&) = delete;
    MailStore& operator=(const MailStore&) = delete;

    // Logs on and reads every account. False (and no accounts) when the messaging
    // subsystem cannot be reached; a store or inbox that cannot be read is left out
    // or left empty.
    bool Load();
    // Ends the notifications, releases the stores and logs off.
    void Close();

    const MailModel& model() const { return model_; }

    bool SetRead(int account, const EntryId& id, bool read);
    bool ToggleRead(int account, const EntryId& id);
    // Moves the message from the inbox to the account's deleted-items folder.
    bool Delete(int account, const EntryId& id);
    // The preview text of a message: its first text part, decoded, at most
    // kPreviewChars long. False when it has no body that can be read.
    bool GetBody(int account, const EntryId& id, std::u16string* text, bool* html);

    // A store's notifications (the advise sinks call this).
    struct Account;
    void OnNotify(Account& account, ULONG count, void* notifications);

private:
    Account* AccountOf(int modelIndex);
    bool ReadMessage(Account& a, const EntryId& id, MailMessage* out);
    void Changed();

    HWND host_;
    IMAPISession* session_ = nullptr;
    bool initialized_ = false;
    std::vector<std::unique_ptr<Account>> accounts_;
    MailModel model_;
};

}  // namespace daybrim
