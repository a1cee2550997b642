// Shared pieces of the cedb contract tests: a volume of the test's own on the device
// drive, record builders, and a window that collects posted notifications.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raii.h"
#include "windbase.h"

namespace cedbtest {

constexpr DWORD kSentinel = 0xdeadbeef;

// A volume "\Temp\cedb_<name>.vol", mounted, deleted afterwards.
class TestVolume {
public:
    explicit TestVolume(const std::wstring& name) {
        CreateDirectoryW(L"\\Temp", nullptr);
        path_ = L"\\Temp\\cedb_" + name + L".vol";
        DeleteFileW(path_.c_str());
        mounted_ = CeMountDBVolEx(&guid_, &path_[0], nullptr, OPEN_ALWAYS) != FALSE;
        EXPECT_TRUE(mounted_) << GetLastError();
    }
    ~TestVolume() {
        if (mounted_) CeUnmountDBVol(&guid_);
        DeleteFileW(path_.c_str());
    }
    TestVolume(const TestVolume&) = delete;
    TestVolume& operator=(const TestVolume&) = delete;

    PCEGUID guid() { return &guid_; }
    LPWSTR path() { return &path_[0]; }

    // Creates a database; sorts are declared as given.
    CEOID CreateDb(const wchar_t* name, std::vector<SORTORDERSPECEX> sorts = {}) {
        CEDBASEINFOEX info = {};
        info.wVersion = CEDBASEINFOEX_VERSION;
        info.dwFlags = CEDB_VALIDNAME | (sorts.empty() ? 0 : CEDB_VALIDSORTSPEC);
        lstrcpynW(info.szDbaseName, name, CEDB_MAXDBASENAMELEN);
        info.wNumSortOrder = WORD(sorts.size());
        for (size_t i = 0; i < sorts.size() && i < CEDB_MAXSORTORDER; ++i) info.rgSortSpecs[i] = sorts[i];
        CEOID oid = CeCreateDatabaseEx2(&guid_, &info);
        EXPECT_NE(0u, oid) << GetLastError();
        return oid;
    }

    HANDLE Open(const wchar_t* name, SORTORDERSPECEX* sort = nullptr, DWORD flags = 0,
                CENOTIFYREQUEST* req = nullptr) {
        CEOID oid = 0;
        return CeOpenDatabaseInSession(nullptr, &guid_, &oid, const_cast<LPWSTR>(name), sort, flags, req);
    }

private:
    std::wstring path_;
    CEGUID guid_ = {};
    bool mounted_ = false;
};

// A database handle (closed through the device's CloseHandle), usable as a HANDLE.
struct DbHandle : raii::File {
    using raii::File::File;
    operator HANDLE() const { return get(); }
};

// One LocalAlloc'd read buffer.
struct ReadBuffer {
    LPBYTE p = nullptr;
    DWORD cb = 0;
    ~ReadBuffer() {
        if (p) LocalFree(p);
    }
    CEPROPVAL* vals() const { return reinterpret_cast<CEPROPVAL*>(p); }
};

inline CEPROPVAL U4(CEPROPID id, ULONG v) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.ulVal = v;
    return p;
}
inline CEPROPVAL Str(CEPROPID id, const wchar_t* s) {
    CEPROPVAL p = {};
    p.propid = id;
    p.val.lpwstr = const_cast<LPWSTR>(s);
    return p;
}
inline CEPROPVAL Del(CEPROPID id) {
    CEPROPVAL p = {};
    p.propid = id;
    p.wFlags = CEDB_PROPDELETE;
    return p;
}

inline SORTORDERSPECEX Sort(std::vector<std::pair<CEPROPID, DWORD>> keys, WORD keyFlags = 0) {
    SORTORDERSPECEX s = {};
    s.wVersion = SORTORDERSPECEX_VERSION;
    s.wNumProps = WORD(keys.size());
    s.wKeyFlags = keyFlags;
    for (size_t i = 0; i < keys.size(); ++i) {
        s.rgPropID[i] = keys[i].first;
        s.rgdwFlags[i] = keys[i].second;
    }
    return s;
}

struct Note {
    UINT type;
    CEOID oid;
    CEOID parent;
    DWORD param;
    CEGUID guid;
};

// A message-only window that collects WM_DBNOTIFICATION as it is dispatched.
class NotifyWindow {
public:
    NotifyWindow() {
        static ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &NotifyWindow::Proc;
            wc.lpszClassName = L"CedbTestNotify";
            return RegisterClassW(&wc);
        }();
        hwnd_ = CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~NotifyWindow() { DestroyWindow(hwnd_); }
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    CENOTIFYREQUEST Request(DWORD param) { return CENOTIFYREQUEST{sizeof(CENOTIFYREQUEST), hwnd_, CEDB_EXNOTIFICATION, nullptr, param}; }
    std::vector<Note> notes;

    // Pumps this thread's queue until n notifications arrived here, or ms passed.
    bool WaitFor(size_t n, DWORD ms) {
        DWORD start = GetTickCount();
        for (;;) {
            Pump();
            if (notes.size() >= n) return true;
            DWORD spent = GetTickCount() - start;
            if (spent >= ms) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLPOSTMESSAGE);
        }
    }
    static void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_DBNOTIFICATION) {
            auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            auto* n = reinterpret_cast<CENOTIFICATION*>(lp);
            EXPECT_EQ(sizeof(CENOTIFICATION), n->dwSize);
            if (self) self->notes.push_back(Note{n->uType, n->oid, n->oidParent, n->dwParam, n->guid});
            EXPECT_TRUE(CeFreeNotification(nullptr, n));
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    HWND hwnd_ = nullptr;
};

}  // namespace cedbtest
