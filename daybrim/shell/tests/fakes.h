// Fakes for the host's logic: timers on a clock that only moves when told, tabs
// that record what they are asked and answer what they are told, a tab bar that
// selects as the real one does (through the host), and a navigator host.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host_core.h"
#include "navigator.h"
#include "settings.h"
#include "tab.h"
#include "tab_bar.h"

namespace fakes {

using namespace daybrim;

class Timers : public virtual TimerPort {
public:
    void StartTimer(UINT id, UINT ms) override {
        due[id] = now + ms;
        period[id] = ms;
        log.push_back("start " + std::to_string(id) + " " + std::to_string(ms));
    }
    void KillTimer(UINT id) override {
        due.erase(id);
        log.push_back("kill " + std::to_string(id));
    }
    bool Running(UINT id) const { return due.count(id) != 0; }
    // Moves the clock on, firing each timer whose time comes (timers repeat, as
    // Windows timers do, until killed).
    void Advance(unsigned ms) {
        const unsigned long long end = now + ms;
        for (;;) {
            auto next = due.end();
            for (auto it = due.begin(); it != due.end(); ++it)
                if (it->second <= end && (next == due.end() || it->second < next->second)) next = it;
            if (next == due.end()) break;
            now = next->second;
            const UINT id = next->first;
            next->second = now + period[id];
            if (onFire) onFire(id);
        }
        now = end;
    }
    unsigned long long now = 0;
    std::map<UINT, unsigned long long> due;
    std::map<UINT, UINT> period;
    std::vector<std::string> log;
    std::function<void(UINT)> onFire;
};

class Tab : public CTab {
public:
    Tab(int id, DWORD type) : type_(type) { SetIdentity(id, L"", L"tab"); }
    UINT GetMenuId() override { return 0; }
    void PrepareMenu(HMENU) override {}
    DWORD GetType() override { return type_; }
    LRESULT KeyUp(HWND, int) override { return Note("up", up); }
    LRESULT KeyDown(HWND, int) override { return Note("down", down); }
    LRESULT KeyLeft(HWND, int) override { return Note("left", left); }
    LRESULT KeyRight(HWND, int) override { return Note("right", right); }
    LRESULT KeyEnter(HWND, int) override { return Note("enter", enter); }
    LRESULT ReceiveSelection(UINT key) override { return Note("receive" + std::to_string(key), receive); }
    void LoseSelection() override { Note("lose", 0); }
    bool Create(HWND, int, int, int, int, int, int, int, int, HINSTANCE) override { return true; }
    void Destroy() override { Note("destroy", 0); }
    void Move(int x, int y, int w, int h) override {
        Note("move " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," + std::to_string(h), 0);
    }
    void Show(bool) override { Note("show", 0); }
    void Hide(bool) override { Note("hide", 0); }
    void OnDateChanged() override { ++dateChanges; }
    void OnDataChanged() override { ++dataChanges; }
    void QueryRefresh(HWND, UINT, WPARAM, LPARAM) override { ++queries; }
    bool HasAlert() override { return alert; }
    void OnHostMoved() override { ++hostMoves; }
    void OnContactNotice(ContactNotice n, DWORD oid) override {
        Note("contact" + std::to_string(int(n)) + " " + std::to_string(oid), 0);
    }

    std::string Log() {
        std::string s;
        for (auto& e : calls) s += (s.empty() ? "" : " ") + e;
        calls.clear();
        return s;
    }

    LRESULT up = 1, down = 1, left = 1, right = 1, enter = 1, receive = 1;
    int dateChanges = 0, dataChanges = 0, queries = 0, hostMoves = 0;
    bool alert = false;
    std::vector<std::string> calls;

private:
    LRESULT Note(const std::string& what, LRESULT r) {
        calls.push_back(what);
        return r;
    }
    DWORD type_;
};

// Selecting a tab ends, as with the real bar, in the host's tab switch.
class TabBar : public CTabBar {
public:
    explicit TabBar(std::function<void(int)> select) : select_(std::move(select)) {}
    void SelectTab(int id) override {
        selected_ = id;
        selections.push_back(id);
        if (select_) select_(id);
    }
    void RepaintFocus(bool on) override { focus_ = on; }
    void PerformFocusedAction() override { ++actions; }
    void StartBlinking(int id) override { blinking.push_back(id); }
    std::vector<int> selections, blinking;
    int actions = 0;

private:
    std::function<void(int)> select_;
};

class NavHost : public NavigatorHost, public Timers {
public:
    HWND HostWindow() override { return nullptr; }
    void TookSelection() override { ++took; }
    void ForceLayout() override { ++layouts; }
    bool TodayIsForeground() override { return foreground; }
    bool InstallHook() override {
        ++installs;
        hooked = true;
        return true;
    }
    void RemoveHook() override { hooked = false; }
    bool HookInstalled() override { return hooked; }
    int took = 0, layouts = 0, installs = 0;
    bool foreground = true, hooked = false;
};

class Pim : public PimStore {
public:
    void Reload(bool zone) override { reloads.push_back(zone); }
    void RebuildMailOnCalendar() override { ++mailRebuilds; }
    std::vector<bool> reloads;
    int mailRebuilds = 0;
};

}  // namespace fakes
