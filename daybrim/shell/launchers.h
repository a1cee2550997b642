// Starting the programs daybrim hands its work to: the organiser chosen by "PimSw",
// the mail program, Office documents, the phone, the PIM bridge, the settings and
// list programs. Stateless: every call reads what it needs from a LaunchConfig.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "launch_lines.h"

namespace daybrim {
class CSettings;
}

namespace launch {

// The settings the launchers read, taken from CSettings once per use.
struct LaunchConfig {
    int pimSw = kPocketOutlook;
    bool leaveAgendaFusionRunning = false;
    int mailSoftware = 0;            // "MailSoftwareToUse": 1 mailto: and a custom inbox
    std::wstring mailCustomInbox;    // "MailCustomInboxStr"
    std::wstring programFiles = L"\\Program Files";
    std::wstring installFolder = L"\\Program Files\\Olvane\\Daybrim";  // DRSettings.exe

    static LaunchConfig From(const daybrim::CSettings& s);
};

// ShellExecuteEx with the verb ("Open" when null), file and parameters; its success.
bool Launch(HWND owner, const std::wstring& file, const std::wstring& parameters, const wchar_t* verb = nullptr);

bool OpenSettingsProgram(const LaunchConfig& c, HWND owner, const std::wstring& argument = L"");
// The calendar, tasks, notes or contacts application of the chosen organiser.
bool OpenApplication(const LaunchConfig& c, HWND owner, View view);
bool NewOfficeFile(HWND owner, bool workbook);
bool OpenPocketInformant(HWND owner, const std::wstring& view);
// Agenda Fusion runs one command string per start.
bool RunAgendaFusion(const LaunchConfig& c, const std::wstring& command);
bool RunAgendaOne(const LaunchConfig& c, HWND owner, const std::wstring& command);
// Opens the item and then asks Agenda One's dialog to switch to editing.
bool EditInAgendaOne(const LaunchConfig& c, HWND owner, uint32_t oid, double day);
bool ComposeOrOpenMail(const LaunchConfig& c, HWND owner, bool compose, const std::wstring& to,
                       const std::wstring& service);
// Places a call through the phone library; whether one was placed.
bool Dial(const std::wstring& number);
// Finds (or starts) the bridge and sends it the request; false when it never came.
bool SendToPimBridge(const LaunchConfig& c, HWND owner, const PimBridgeRequest& request);
// The list program, when it is installed.
bool OpenListProgram(HWND owner);

}  // namespace launch
