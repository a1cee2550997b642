// Drives a Today screen from a script, and lets it run for a while.
#pragma once
#include <string>
#include <vector>

#include "script.h"
#include "today_screen.h"

namespace today {

// Dispatches messages for ms milliseconds (timers fire, items work). Returns false
// once the message loop was told to quit.
bool PumpFor(unsigned ms);

// Runs the steps; stops at "quit" or when the screen is gone. On failure (a snap
// that cannot be written) returns false with the reason.
bool RunScript(TodayScreen& screen, const std::vector<Step>& steps, std::string* error);

std::wstring Widen(const std::string& utf8);

// Starts a program and waits for it: its exit code, 1000 when it could not start,
// 1001 when it was still running after timeoutMs (it is then ended).
DWORD RunProgram(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = 60000);

}  // namespace today
