// Drives modal windows of the test's own thread: a thread timer runs one step of a
// script whenever a modal loop is idle, and a step that is not ready yet (a window
// not up) is tried again on the next tick. A step that opens a modal window posts
// its message, so it never blocks the script. When the steps are done or one never
// gets ready, whatever dialog is still open is ended so the test cannot hang.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tltest {

class Script {
public:
    using Step = std::function<bool()>;  // true: done, go on with the next
    explicit Script(std::vector<Step> steps) : steps_(std::move(steps)) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 10, &Script::Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Finished() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* s = current_;
        if (!s || s->busy_) return;
        s->busy_ = true;
        if (s->next_ < s->steps_.size()) {
            if (s->steps_[s->next_]()) {
                ++s->next_;
                s->tries_ = 0;
            } else if (++s->tries_ > 1500) {
                ADD_FAILURE() << "step " << s->next_ << " never got ready";
                s->next_ = s->steps_.size();
            }
        }
        // Finished or given up: close whatever is still open so the test ends.
        if (s->next_ == s->steps_.size() && s->abandon_) EnumThreadWindows(GetCurrentThreadId(), &EndDialogs, 0);
        if (s->next_ == s->steps_.size()) s->abandon_ = true;
        s->busy_ = false;
    }
    static BOOL CALLBACK EndDialogs(HWND h, LPARAM) {
        wchar_t cls[16] = {};
        GetClassNameW(h, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h)) EndDialog(h, -2);
        return TRUE;
    }

    static inline Script* current_ = nullptr;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int tries_ = 0;
    bool busy_ = false, abandon_ = false;
    UINT_PTR timer_ = 0;
};

}  // namespace tltest
