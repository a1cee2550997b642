// The commands the extension adds to a host's menu: which id dials or texts which
// number, the command lines handed to tallyra, and the copy of a command line into
// the host's buffer. Kept apart from the menus themselves so that the id arithmetic
// is tested without a host.
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "ce_string.h"

// A literal of CeChar: wide on the handheld, UTF-16 in the native build.
#ifdef _WIN32
#define CE_TEXT(s) L##s
#else
#define CE_TEXT(s) u##s
#endif

namespace tallyext {

enum class CommandKind { kDial = 1, kTextMessage = 2 };

struct Command {
    CommandKind kind;
    CeStd number;
};

// What tallyra is started with: "/d:" or "/s:" followed by the number.
CeStd CommandLine(const Command& c);

// Which fields of the selected item are searched for numbers, from the settings.
struct SearchSettings {
    bool apptSubject = true, apptLocation = true, apptNote = true;
    bool taskSubject = true, taskNote = true;
    bool dialMenu = true, textMenu = true;
};

enum class ItemKind { kAppointment, kTask, kOther };
enum class Field { kSubject, kLocation, kNote };

// In the order their numbers are listed; empty when neither menu is wanted.
std::vector<Field> FieldsToSearch(ItemKind kind, const SearchSettings& s);

// The two popups as the extension lays them out. Dial items take the ids from
// `first` on, text-message items the ids from first + count of numbers on (so an id
// names the same number whichever menus are on); ids past `last` are left out.
struct MenuPlan {
    struct Item {
        uint32_t id;
        CeStd number;
    };
    std::vector<Item> dial, text;
    std::map<uint32_t, Command> commands;
    // How many ids from `first` the host must consider used: the highest id used + 1
    // - first, 0 when nothing is added.
    uint32_t idsUsed = 0;
};
MenuPlan PlanMenus(const std::vector<CeStd>& numbers, bool dialMenu, bool textMenu, uint32_t first, uint32_t last);

// The command a host names by the command line the map produced; null when the line
// is none of them. `verb` may be a buffer of unknown length from the host: it is
// compared character by character and never read past the first difference or the
// terminator of a match.
const Command* FindByCommandLine(const std::map<uint32_t, Command>& commands, const CeChar* verb);

// Copying a command line into a host's buffer of `capacity` characters, narrow
// (one byte each) or wide. The buffer always ends up terminated; a line that does
// not fit entirely is not copied in part, since a cut-off number would dial someone
// else.
enum class CopyResult { kOk, kTooSmall, kNoBuffer };
CopyResult CopyCommandLine(const CeStd& line, bool wide, void* buffer, size_t capacity);

}  // namespace tallyext
