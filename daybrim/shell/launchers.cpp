#include "launchers.h"

#include <shellapi.h>

#include "phone.h"
#include "raii.h"
#include "reg.h"
#include "settings.h"

namespace launch {

namespace {

const wchar_t kPoutlook[] = L"\\windows\\poutlook.exe";
const wchar_t kMailProgram[] = L"\\windows\\tmail.exe";
const wchar_t kPocketInformantKey[] = L"Software\\WebIS\\PocketInformant";
const wchar_t kAgendaFusionKey[] = L"SOFTWARE\\Developer One, Inc.\\Agenda Fusion";
const wchar_t kAgendaOneKey[] = L"SOFTWARE\\Developer One\\Agenda One";
const wchar_t kPinlistKey[] = L"Software\\Olvane\\Pinlist";
const wchar_t kBridgeClass[] = L"PIM_BRIDGE_CLASS";
const UINT kAgendaOneEdit = 11009;  // Agenda One's "edit" command in its item dialog

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring AgendaFusionProgram() {
    return reg::String(HKEY_LOCAL_MACHINE, kAgendaFusionKey, L"AppLocation",
                       L"\\Program Files\\Agenda Fusion\\AgendaFusion.exe");
}

std::wstring AgendaOneProgram(const LaunchConfig& c) {
    return reg::String(HKEY_CURRENT_USER, kAgendaOneKey, L"InstallPath",
                       c.programFiles + L"\\Agenda One\\Agenda One.exe");
}

// Looks for a window now and after each wait; the waits block the UI thread, which
// is what the programs expect of their caller.
HWND WaitForWindow(const wchar_t* cls, const wchar_t* title, std::initializer_list<DWORD> waits) {
    HWND found = FindWindowW(cls, title);
    for (DWORD ms : waits) {
        if (found) break;
        Sleep(ms);
        found = FindWindowW(cls, title);
    }
    return found;
}

}  // namespace

LaunchConfig LaunchConfig::From(const daybrim::CSettings& s) {
    LaunchConfig c;
    c.pimSw = s.PimSw.Int();
    c.leaveAgendaFusionRunning = s.LeaveAFRunning.Int() == 1;
    c.mailSoftware = s.MailSoftwareToUse.Int();
    c.mailCustomInbox = s.MailCustomInboxStr.value();
    c.programFiles = s.ProgramFiles.value();
    c.installFolder = s.InstallFolder();
    return c;
}

bool Launch(HWND owner, const std::wstring& file, const std::wstring& parameters, const wchar_t* verb) {
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    // Failures are the caller's to report (they are not): no error box.
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.hwnd = owner;
    sei.lpVerb = verb ? verb : L"Open";
    sei.lpFile = file.c_str();
    sei.lpParameters = parameters.c_str();
    sei.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&sei) != FALSE;
}

bool OpenSettingsProgram(const LaunchConfig& c, HWND owner, const std::wstring& argument) {
    return Launch(owner, c.installFolder + L"\\DRSettings.exe", argument);
}

bool OpenApplication(const LaunchConfig& c, HWND owner, View view) {
    switch (c.pimSw) {
    case kPocketInformant:
        return OpenPocketInformant(owner, PocketInformantView(view));
    case kAgendaFusion:
        return RunAgendaFusion(c, AgendaFusionView(view));
    case kAgendaOne:
        if (view != kNotesView) return RunAgendaOne(c, owner, AgendaOneGoto(AgendaOneView(view), kNoDate));
        break;
    default:
        if (view != kNotesView) return Launch(owner, kPoutlook, PocketOutlookView(view));
        break;
    }
    return Launch(owner, L":MSNOTETAKE", L"");
}

bool NewOfficeFile(HWND owner, bool workbook) { return Launch(owner, workbook ? L":MSPXL" : L":MSPWORD", L""); }

bool OpenPocketInformant(HWND owner, const std::wstring& view) {
    const DWORD version = reg::Dword(HKEY_CURRENT_USER, kPocketInformantKey, L"version", 0);
    const std::wstring dir = reg::String(HKEY_CURRENT_USER, kPocketInformantKey, L"UtilsInstallDir", L"\\Windows");
    std::wstring program = dir + L"\\PITab.exe";
    if (!Exists(program)) program = L"\\Windows\\PITab.exe";
    return Launch(owner, program, TranslatePocketInformantView(view, version));
}

bool RunAgendaFusion(const LaunchConfig& c, const std::wstring& command) {
    const std::wstring program = AgendaFusionProgram();
    const std::wstring parameters = AgendaFusionCommand(command, c.leaveAgendaFusionRunning);
    SHELLEXECUTEINFOW sei = {};
    sei.cbSize = sizeof sei;
    sei.fMask = SEE_MASK_FLAG_NO_UI;
    sei.lpFile = program.c_str();
    // Agenda Fusion starts in its own folder (the device ignores a directory; Wine
    // refuses one that is not a folder, so the program's path itself would fail).
    const size_t slash = program.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : program.substr(0, slash);
    sei.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    sei.lpParameters = parameters.c_str();
    sei.nShow = SW_HIDE;
    return ShellExecuteExW(&sei) != FALSE;
}

bool RunAgendaOne(const LaunchConfig& c, HWND owner, const std::wstring& command) {
    return Launch(owner, AgendaOneProgram(c), command);
}

bool EditInAgendaOne(const LaunchConfig& c, HWND owner, uint32_t oid, double day) {
    if (!RunAgendaOne(c, owner, AgendaOneOpen(oid, day))) return false;
    HWND dialog = WaitForWindow(L"Dialog", L"Agenda One", {1000, 1500, 2000});
    return dialog && PostMessageW(dialog, WM_COMMAND, kAgendaOneEdit, 0);
}

bool ComposeOrOpenMail(const LaunchConfig& c, HWND owner, bool compose, const std::wstring& to,
                       const std::wstring& service) {
    if (c.mailSoftware == 1) {
        if (compose) return Launch(owner, L"mailto:", to);
        return !c.mailCustomInbox.empty() && Launch(owner, c.mailCustomInbox, L"");
    }
    return Launch(owner, kMailProgram, MailParameters(compose, to, service));
}

bool Dial(const std::wstring& number) {
    raii::Library phone(LoadLibraryW(L"phone.dll"));
    if (!phone) return false;
    using MakeCall = LONG(WINAPI*)(PHONEMAKECALLINFO*);
    auto makeCall = reinterpret_cast<MakeCall>(reinterpret_cast<void*>(GetProcAddress(phone.get(), "PhoneMakeCall")));
    if (!makeCall) return false;
    const std::wstring dial = DialableNumber(number);
    if (dial.empty()) return false;
    PHONEMAKECALLINFO info = {};
    info.cbSize = sizeof info;
    info.dwFlags = PMCF_DEFAULT;
    info.pszDestAddress = dial.c_str();
    return makeCall(&info) == 0;
}

bool SendToPimBridge(const LaunchConfig& c, HWND owner, const PimBridgeRequest& request) {
    HWND bridge = FindWindowW(kBridgeClass, L"");
    if (!bridge) {
        Launch(owner, c.programFiles + L"\\Olvane\\Daybrim\\PimBridge.exe", L"");
        bridge = WaitForWindow(kBridgeClass, L"", {500, 500, 1000});
        if (!bridge) return false;
    }
    COPYDATASTRUCT cds = {};
    cds.dwData = 0;
    cds.cbData = sizeof request;
    cds.lpData = const_cast<PimBridgeRequest*>(&request);
    SendMessageW(bridge, WM_COPYDATA, reinterpret_cast<WPARAM>(owner), reinterpret_cast<LPARAM>(&cds));
    return true;
}

bool OpenListProgram(HWND owner) {
    const std::wstring program =
        reg::String(HKEY_CURRENT_USER, kPinlistKey, L"AppExePath", L"\\Program Files\\Olvane\\Pinlist\\Pinlist.exe");
    return !program.empty() && Launch(owner, program, L"");
}

}  // namespace launch
