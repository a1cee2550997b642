// A second process for the messaging tests.
//   cemapi_probe VOLUME add ACCOUNT SUBJECT   new unread inbox message; prints its oid
//   cemapi_probe VOLUME read OID              marks it read
//   cemapi_probe VOLUME move OID KIND         to the account's folder of that kind (1..5)
//   cemapi_probe VOLUME delete OID
//   cemapi_probe VOLUME wait ACCOUNT SUBJECT READYFILE TIMEOUT_MS
//       logs on, advises the account's store, creates READYFILE, and exits 0 once a
//       created message with that subject was announced on its own thread (1 on
//       timeout, 2 when announced on another thread).
// VOLUME is a full Windows path; "wait" passes it to the session as CEMAPI_VOLUME.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>

#include "cemapi.h"
#include "com_base.h"
#include "mailvol.h"

namespace {

std::string Narrow(const wchar_t* w) {
    std::string s;
    for (; *w; ++w) s.push_back(char(*w));
    return s;
}

class WaitSink : public com::Object<IMAPIAdviseSink> {
public:
    WaitSink(IMsgStore* store, std::wstring subject) : store_(store), subject_(std::move(subject)) {}
    ULONG STDMETHODCALLTYPE OnNotify(ULONG n, LPNOTIFICATION list) override {
        for (ULONG i = 0; i < n; ++i) {
            if (list[i].ulEventType != fnevObjectCreated) continue;
            const OBJECT_NOTIFICATION& o = list[i].info.obj;
            IUnknown* unk = nullptr;
            ULONG type = 0;
            if (FAILED(store_->OpenEntry(o.cbEntryID, o.lpEntryID, nullptr, 0, &type, &unk))) continue;
            auto* msg = static_cast<IMessage*>(unk);
            SizedSPropTagArray(1, tags) = {1, {PR_SUBJECT_W}};
            ULONG c = 0;
            LPSPropValue v = nullptr;
            if (SUCCEEDED(msg->GetProps(reinterpret_cast<LPSPropTagArray>(&tags), 0, &c, &v)) &&
                PROP_TYPE(v[0].ulPropTag) == PT_UNICODE && subject_ == v[0].Value.lpszW)
                seen = GetCurrentThreadId() == mainThread ? 1 : 2;
            MAPIFreeBuffer(v);
            msg->Release();
        }
        return 0;
    }
    DWORD mainThread = GetCurrentThreadId();
    int seen = 0;

private:
    IMsgStore* store_;
    std::wstring subject_;
};

int Wait(const wchar_t* account, const wchar_t* subject, const wchar_t* ready, DWORD timeout) {
    MAPIInitialize(nullptr);
    IMAPISession* session = nullptr;
    if (FAILED(MAPILogonEx(0, nullptr, nullptr, MAPI_USE_DEFAULT, &session))) return 3;
    IMAPITable* table = nullptr;
    session->GetMsgStoresTable(0, &table);
    IMsgStore* store = nullptr;
    for (;;) {
        LPSRowSet rows = nullptr;
        if (!table || FAILED(table->QueryRows(1, 0, &rows)) || rows->cRows == 0) {
            FreeProws(rows);
            break;
        }
        const SPropValue* p = rows->aRow[0].lpProps;
        if (PROP_TYPE(p[1].ulPropTag) == PT_UNICODE && lstrcmpiW(p[1].Value.lpszW, account) == 0)
            session->OpenMsgStore(0, p[0].Value.bin.cb, reinterpret_cast<LPENTRYID>(p[0].Value.bin.lpb),
                                  nullptr, 0, &store);
        FreeProws(rows);
    }
    if (table) table->Release();
    if (!store) return 4;
    auto* sink = new WaitSink(store, subject);
    ULONG conn = 0;
    if (FAILED(store->Advise(0, nullptr, fnevObjectCreated, sink, &conn))) return 5;
    CloseHandle(CreateFileW(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const DWORD deadline = GetTickCount() + timeout;
    while (!sink->seen && int(deadline - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    const int seen = sink->seen;
    store->Unadvise(conn);
    sink->Release();
    store->Release();
    session->Logoff(0, 0, 0);
    session->Release();
    MAPIUninitialize();
    return seen == 1 ? 0 : seen == 2 ? 2 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 64;
    const std::wstring cmd = argv[2];
    if (cmd == L"wait" && argc == 7) {
        std::wstring ce = argv[1];
        SetEnvironmentVariableW(L"CEMAPI_VOLUME", ce.c_str());
        return Wait(argv[3], argv[4], argv[5], DWORD(_wtoi(argv[6])));
    }
    wchar_t full[MAX_PATH];
    if (!GetFullPathNameW(argv[1], MAX_PATH, full, nullptr)) return 65;
    cedb::Error err;
    std::unique_ptr<cedb::Volume> vol = cedb::Volume::Open(Narrow(full), false, &err);
    if (!vol) return 66;
    mailvol::MailVolume mail(*vol);
    if (cmd == L"add" && argc == 5) {
        mailvol::Account a;
        std::wstring name = argv[3];
        if (!mail.FindAccount(std::u16string(name.begin(), name.end()), &a)) return 67;
        cedb::PropValue subject;
        subject.propid = mailvol::kTagSubject;
        std::wstring s = argv[4];
        subject.str.assign(s.begin(), s.end());
        uint32_t oid = 0;
        if (mail.AddMessage(mail.FolderOf(a.oid, mailvol::FolderKind::kInbox), {subject}, &oid) != cedb::Error::kOk)
            return 68;
        std::printf("%u\n", oid);
        return 0;
    }
    if (argc < 4) return 64;
    const uint32_t oid = uint32_t(_wtoi(argv[3]));
    cedb::Record r;
    if (vol->Read(oid, &r) != cedb::Error::kOk) return 69;
    cedb::Error e = cedb::Error::kInvalid;
    if (cmd == L"read") e = mail.SetFlags(oid, mailvol::kFlagRead);
    if (cmd == L"delete") e = mail.Delete(oid);
    if (cmd == L"move" && argc == 5)
        e = mail.Move(oid, mail.FolderOf(uint32_t(mailvol::NumOf(r, mailvol::kTagAccount)),
                                         mailvol::FolderKind(_wtoi(argv[4]))));
    return e == cedb::Error::kOk ? 0 : 70;
}
