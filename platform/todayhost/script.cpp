#include "script.h"

#include <cstdlib>
#include <sstream>

namespace today {

namespace {

bool ParseInt(const std::string& s, int lo, int hi, int* out) {
    if (s.empty() || s.size() > 9) return false;
    size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size()) return false;
    for (size_t k = i; k < s.size(); ++k)
        if (s[k] < '0' || s[k] > '9') return false;
    long v = std::strtol(s.c_str(), nullptr, 10);
    if (v < lo || v > hi) return false;
    *out = int(v);
    return true;
}

int KeyByName(const std::string& name) {
    // Virtual-key codes of the handheld's D-pad.
    if (name == "up") return 0x26;
    if (name == "down") return 0x28;
    if (name == "left") return 0x25;
    if (name == "right") return 0x27;
    if (name == "enter" || name == "action") return 0x0D;
    int vk;
    return ParseInt(name, 1, 254, &vk) ? vk : 0;
}

}  // namespace

bool ParseScript(const std::string& text, std::vector<Step>* steps, ScriptError* err) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    steps->clear();
    auto fail = [&](const std::string& why) {
        err->line = number;
        err->message = why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string s; words >> s;) w.push_back(s);
        if (w.empty()) continue;
        Step st;
        st.line = number;
        const std::string& cmd = w[0];
        auto argc = [&](size_t n) { return w.size() == n + 1; };
        if (cmd == "wait") {
            if (!argc(1) || !ParseInt(w[1], 0, 600000, &st.a)) return fail("wait takes milliseconds (0 to 600000)");
            st.kind = StepKind::kWait;
        } else if (cmd == "poll" && argc(0)) {
            st.kind = StepKind::kPoll;
        } else if (cmd == "key") {
            if (!argc(1) || (st.a = KeyByName(w[1])) == 0) return fail("key takes up, down, left, right, enter or a key code");
            st.kind = StepKind::kKey;
        } else if (cmd == "tap" || cmd == "hold") {
            if (!argc(2) || !ParseInt(w[1], 0, 4096, &st.a) || !ParseInt(w[2], 0, 4096, &st.b))
                return fail(cmd + " takes a screen point X Y");
            st.kind = cmd == "tap" ? StepKind::kTap : StepKind::kHold;
        } else if (cmd == "drag") {
            if (!argc(4) || !ParseInt(w[1], 0, 4096, &st.a) || !ParseInt(w[2], 0, 4096, &st.b) ||
                !ParseInt(w[3], 0, 4096, &st.c) || !ParseInt(w[4], 0, 4096, &st.d))
                return fail("drag takes two screen points X1 Y1 X2 Y2");
            st.kind = StepKind::kDrag;
        } else if (cmd == "broadcast") {
            if (!argc(1)) return fail("broadcast takes a registered message name");
            st.kind = StepKind::kBroadcast;
            st.text = w[1];
        } else if (cmd == "hibernate" && argc(0)) {
            st.kind = StepKind::kHibernate;
        } else if (cmd == "settingchange" && argc(0)) {
            st.kind = StepKind::kSettingChange;
        } else if (cmd == "snap") {
            if (w.size() < 2) return fail("snap takes a file name");
            st.kind = StepKind::kSnap;
            // The file name is the rest of the line, so that it may hold spaces.
            size_t at = line.find("snap") + 4;
            st.text = line.substr(line.find_first_not_of(" \t", at));
            while (!st.text.empty() && (st.text.back() == ' ' || st.text.back() == '\t')) st.text.pop_back();
        } else if (cmd == "menu") {
            // The answer for the next popup menu: "cancel", "id N" or an item's text
            // (the rest of the line, so that it may hold spaces).
            if (w.size() < 2) return fail("menu takes cancel, id N or an item's text");
            st.kind = StepKind::kMenu;
            if (w[1] == "id") {
                if (!argc(2) || !ParseInt(w[2], 1, 65535, &st.a)) return fail("menu id takes a command id");
            } else {
                size_t at = line.find("menu") + 4;
                st.text = line.substr(line.find_first_not_of(" \t", at));
                while (!st.text.empty() && (st.text.back() == ' ' || st.text.back() == '\t')) st.text.pop_back();
            }
        } else if (cmd == "reg") {
            if (w.size() < 3) return fail("reg takes a value's path and dword N, sz TEXT or delete");
            const std::string& path = w[1];
            const size_t root = path.find('\\'), last = path.rfind('\\');
            if (root == std::string::npos || last == root || last + 1 == path.size())
                return fail("reg names a root, a key and a value: HKCU\\Key\\Name");
            const std::string hive = path.substr(0, root);
            if (hive != "HKCU" && hive != "HKLM") return fail("reg takes HKCU or HKLM");
            st.kind = StepKind::kReg;
            st.a = hive == "HKLM" ? 1 : 0;
            st.text = path.substr(root + 1);
            if (w[2] == "dword") {
                // Up to 0xFFFFFFFF, so not through ParseInt.
                if (!argc(3) || w[3].empty() || w[3].size() > 10 ||
                    w[3].find_first_not_of("0123456789") != std::string::npos || std::stoull(w[3]) > 0xFFFFFFFFull)
                    return fail("reg dword takes a number from 0 to 4294967295");
                st.b = kRegDword;
                st.value = w[3];
            } else if (w[2] == "sz") {
                st.b = kRegString;
                // The rest of the line after "sz", spaces inside kept.
                const size_t at = line.find(" sz", line.find(path) + path.size()) + 3;
                const size_t from = line.find_first_not_of(" \t", at);
                st.value = from == std::string::npos ? std::string() : line.substr(from);
                while (!st.value.empty() && (st.value.back() == ' ' || st.value.back() == '\t')) st.value.pop_back();
            } else if (w[2] == "delete" && argc(2)) {
                st.b = kRegDelete;
            } else {
                return fail("reg takes dword N, sz TEXT or delete after the value's path");
            }
        } else if (cmd == "windows" && argc(0)) {
            st.kind = StepKind::kWindows;
        } else if (cmd == "quit" && argc(0)) {
            st.kind = StepKind::kQuit;
        } else {
            return fail("unknown step '" + cmd + "'");
        }
        steps->push_back(st);
    }
    return true;
}

}  // namespace today
