// \Windows\poutlook.exe, Pocket Outlook as the device's programs meet it.
//
//   poutlook.exe calendar | tasks | contacts | ...
//       what the system starts to open a view or an item: the command line goes to
//       the device log (source "poutlook", event "start", "args").
//   poutlook.exe --menu <context> <oid> [--menu-key <key>] [--choose <path>]
//       builds the item's context menu with every extension registered for the
//       context (Calendar, Tasks, Contacts; key Main_ContextMenu unless given) and
//       prints it; --choose then carries out the command at <path> (item texts
//       separated by "/", or "#N" for the N-th item of a level) as Pocket Outlook
//       does (an old-style add-in's item runs its CePimCommand). Exit codes: 0 done, 2 bad arguments, 3 no such command, 4 the
//       extension gave no verb, 5 the command failed.
#include <cwchar>
#include <string>
#include <vector>

#include "cesim_tool.h"
#include "com_base.h"
#include "devicelog.h"
#include "menuhost.h"

namespace {

void Out(const std::wstring& text) {
    std::string utf8 = devlog::Utf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), DWORD(utf8.size()), &written, nullptr);
}
void Err(const std::wstring& text) {
    std::string utf8 = devlog::Utf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), utf8.data(), DWORD(utf8.size()), &written, nullptr);
}

std::wstring Hex(unsigned long v) {
    wchar_t buf[16];
    swprintf(buf, 16, L"0x%08lX", v);
    return buf;
}

// A 32-bit object identifier, decimal or 0x-hexadecimal, nothing after it.
bool ParseOid(const std::wstring& s, DWORD* oid) {
    if (s.empty() || s[0] == L'-') return false;
    wchar_t* end = nullptr;
    errno = 0;
    unsigned long long v = wcstoull(s.c_str(), &end, 0);
    if (errno || !end || *end || v > 0xFFFFFFFFull) return false;
    *oid = DWORD(v);
    return true;
}

int Usage() {
    Err(L"usage: poutlook.exe --menu <Calendar|Tasks|Contacts> <oid> [--menu-key <key>] [--choose <path>]\n");
    return 2;
}

int MenuMode(const std::vector<std::wstring>& args) {
    if (args.size() < 3) return Usage();
    std::wstring context = args[1], key = L"Main_ContextMenu", choose;
    bool haveChoose = false;
    DWORD oid = 0;
    if (context.empty() || context.find(L'\\') != std::wstring::npos || !ParseOid(args[2], &oid)) return Usage();
    for (size_t i = 3; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) return Usage();
        if (args[i] == L"--menu-key" && !args[i + 1].empty() && args[i + 1].find(L'\\') == std::wstring::npos) {
            key = args[i + 1];
        } else if (args[i] == L"--choose") {
            choose = args[i + 1];
            haveChoose = true;
        } else {
            return Usage();
        }
    }

    // The device has no apartments: the host runs free-threaded, as the Today screen.
    const com::Init com;
    int rc = 0;
    {
        poutlook::ContextMenu menu(context, key, oid);
        menu.Build();
        for (const auto& a : menu.addIns()) Err(L"add-in " + a.name + L": id " + std::to_wstring(a.id) + L"\n");
        for (const auto& ext : menu.extensions())
            Err(L"extension " + ext.clsid + (ext.menu ? L": QueryContextMenu " + Hex(ext.queryResult) + L", ids " +
                                                             std::to_wstring(ext.first) + L"-" +
                                                             std::to_wstring(ext.last) + L"\n"
                                                       : L": not created\n"));
        std::wstring tree = menu.Print();
        Out(L"menu " + context + L" " + Hex(oid) + L"\n" + (tree.empty() ? L"(empty)\n" : tree));
        devlog::Event("poutlook", "menu")
            .Str("context", context)
            .Str("key", key)
            .Int("oid", oid)
            .Int("items", GetMenuItemCount(menu.menu()))
            .Append();

        if (haveChoose) {
            UINT id = 0;
            std::wstring verb;
            HRESULT verbHr = E_FAIL, invokeHr = E_FAIL;
            const poutlook::AddIn* addIn = nullptr;
            if (!menu.Find(choose, &id)) {
                Err(L"no command at \"" + choose + L"\"\n");
                rc = 3;
            } else if (menu.RunAddIn(id, &addIn, &invokeHr)) {
                verb = L"addin:" + addIn->name;
                Out(L"command " + std::to_wstring(id) + L" add-in \"" + addIn->name + L"\" ran: " + Hex(invokeHr) + L"\n");
                rc = SUCCEEDED(invokeHr) ? 0 : 5;
            } else if (!menu.Invoke(id, &verb, &verbHr, &invokeHr) || verb.empty()) {
                Out(L"command " + std::to_wstring(id) + L" has no verb (" + Hex(verbHr) + L")\n");
                rc = 4;
            } else {
                Out(L"command " + std::to_wstring(id) + L" verb \"" + verb + L"\" invoked: " + Hex(invokeHr) + L"\n");
                rc = SUCCEEDED(invokeHr) ? 0 : 5;
            }
            devlog::Event("poutlook", "invoke")
                .Str("context", context)
                .Int("oid", oid)
                .Str("path", choose)
                .Int("id", id)
                .Str("verb", verb)
                .Int("result", long(invokeHr))
                .Append();
        }
    }
    return rc;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == L"--menu") return MenuMode(args);
    devlog::Event("poutlook", "start").Str("args", CeSimArguments()).Append();
    return 0;
}
