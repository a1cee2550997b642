// The Today screen's script: what an end-to-end test does to it, one step a line.
//   # comment
//   wait MS            let the screen run (timers fire, items work) for MS milliseconds
//   poll               one refresh poll of every item now
//   key NAME|VK        a key press: up, down, left, right, enter, or a number
//   tap X Y            stylus down and up at screen point X,Y
//   hold X Y           stylus down, held, then up
//   drag X1 Y1 X2 Y2   stylus down at the first point, moved to the second, up
//   broadcast NAME     posts the registered window message NAME to every top-level window
//   hibernate          sends WM_HIBERNATE to the items
//   settingchange      broadcasts WM_SETTINGCHANGE with SETTINGCHANGE_RESET
//   snap FILE          writes a screenshot (PNG)
//   menu ANSWER        answers the next popup menu instead of showing it: cancel,
//                      id N (a command id) or an item's text ("Sub-menu/Item" inside
//                      a sub-menu); the menu and its items go to the device log
//   reg PATH dword N   writes a registry value; PATH is HKCU\... or HKLM\..., the key and,
//   reg PATH sz TEXT   after its last backslash, the value's name; TEXT is the rest of
//   reg PATH delete    the line (it may hold spaces); "delete" removes the value
//   windows            logs every shown top-level window of the screen's thread (class,
//                      title, place and its child windows' texts) to the device log
//   quit               ends the Today screen
// Platform-neutral so that it builds and fuzzes natively.
#pragma once
#include <string>
#include <vector>

namespace today {

enum class StepKind {
    kWait, kPoll, kKey, kTap, kHold, kDrag, kBroadcast, kHibernate, kSettingChange, kSnap, kMenu, kReg, kWindows, kQuit
};

// What a reg step does with its value.
enum RegAction { kRegDword = 0, kRegString = 1, kRegDelete = 2 };

struct Step {
    StepKind kind = StepKind::kWait;
    int a = 0, b = 0;     // wait: ms; key: virtual key; tap/hold/drag: x, y; menu: a command id;
                          // reg: 1 for HKLM (else HKCU), the RegAction
    int c = 0, d = 0;     // drag: where the pen lifts
    std::string text;     // broadcast: message name; snap: file; menu: the answer (UTF-8);
                          // reg: the key, a backslash and the value's name
    std::string value;    // reg: the string, or the number in decimal
    int line = 0;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

// Parses a whole script. On a bad line returns false with the line and the reason.
bool ParseScript(const std::string& text, std::vector<Step>* steps, ScriptError* err);

}  // namespace today
