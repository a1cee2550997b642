// The Today screen's logic, apart from its windows: the items in order, where each
// one sits, the refresh poll and the D-pad selection protocol. The window class
// (today_screen) is a thin shell that hands it real item windows through ItemPort;
// tests hand it fakes.
#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "todaycmn.h"

namespace today {

// What the registry says about one item (HKLM\Software\Microsoft\Today\Items\<name>).
struct ItemConfig {
    std::wstring name;
    std::wstring dll;          // "DLL"
    DWORD order = 0;           // "Order"
    bool enabled = true;       // "Enabled"
    DWORD type = tlitCustom;   // "Type"
    DWORD options = 0;         // "Options": the item has an options dialog (ordinal 241)
    DWORD selectability = 2;   // "Selectability"
    DWORD flags = 0;           // "Flags": passed as grfFlags
};

// Reads every item key below root\subkey; sorted by order, then name. Items that are
// not custom items (the built-in ones this screen does not draw) are left out.
std::vector<ItemConfig> ReadItemConfigs(HKEY root, const wchar_t* subkey);

// The messages the model sends to items, and whether an item takes part at all.
class ItemPort {
public:
    virtual ~ItemPort() = default;
    virtual LRESULT Send(size_t item, UINT msg, WPARAM wp, LPARAM lp) = 0;
};

struct PollResult {
    bool relayout = false;          // some item's height changed
    std::vector<size_t> repaint;    // items that asked to be repainted
};

class TodayModel {
public:
    // Each loaded item brings its TODAYLISTITEM (owned here, handed to the item by address).
    void Add(const TODAYLISTITEM& item);
    void RemoveLast();
    size_t Count() const { return items_.size(); }
    TODAYLISTITEM& Item(size_t i) { return items_[i]; }

    // Layout: items stacked top to bottom at their reported heights.
    int Top(size_t i) const;
    int TotalHeight() const;
    int ItemAt(int y) const;  // -1 where there is none

    // One refresh poll round: WM_TODAYCUSTOM_QUERYREFRESHCACHE to every item.
    PollResult Poll(ItemPort& port);

    // Selection: index of the selected item, -1 for none.
    int Selected() const { return selected_; }
    // A D-pad key on the Today screen. Returns true when it changed or acted on a selection.
    bool OnKey(ItemPort& port, UINT vk);
    // An item said it took the selection (TODAYM_TOOKSELECTION, e.g. after a tap).
    void OnTookSelection(ItemPort& port, size_t item);
    void ClearSelection(ItemPort& port);

private:
    bool Selectable(size_t i) const;
    bool MoveSelection(ItemPort& port, int step, UINT vk);

    std::deque<TODAYLISTITEM> items_;  // items keep the address they were handed
    int selected_ = -1;
};

}  // namespace today
