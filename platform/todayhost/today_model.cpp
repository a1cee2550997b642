#include "today_model.h"

#include <algorithm>

#include "raii.h"
#include "reg.h"

namespace today {

std::vector<ItemConfig> ReadItemConfigs(HKEY root, const wchar_t* subkey) {
    std::vector<ItemConfig> items;
    raii::Key key;
    if (RegOpenKeyExW(root, subkey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return items;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD len = 256;
        if (RegEnumKeyExW(key.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        raii::Key item;
        if (RegOpenKeyExW(key.get(), name, 0, KEY_READ, item.out()) != ERROR_SUCCESS) continue;
        ItemConfig c;
        c.name = name;
        const HKEY k = item.get();
        c.dll = reg::String(k, nullptr, L"DLL");
        c.order = reg::Dword(k, nullptr, L"Order", 0);
        c.enabled = reg::Dword(k, nullptr, L"Enabled", 1) != 0;
        c.type = reg::Dword(k, nullptr, L"Type", tlitCustom);
        c.options = reg::Dword(k, nullptr, L"Options", 0);
        c.selectability = reg::Dword(k, nullptr, L"Selectability", 2);
        c.flags = reg::Dword(k, nullptr, L"Flags", 0);
        if (c.type == tlitCustom && !c.dll.empty()) items.push_back(c);
    }
    std::stable_sort(items.begin(), items.end(), [](const ItemConfig& a, const ItemConfig& b) {
        return a.order != b.order ? a.order < b.order : a.name < b.name;
    });
    return items;
}

void TodayModel::Add(const TODAYLISTITEM& item) { items_.push_back(item); }

void TodayModel::RemoveLast() {
    if (items_.empty()) return;
    if (selected_ == int(items_.size()) - 1) selected_ = -1;
    items_.pop_back();
}

int TodayModel::Top(size_t i) const {
    int y = 0;
    for (size_t k = 0; k < i && k < items_.size(); ++k) y += int(items_[k].cyp);
    return y;
}

int TodayModel::TotalHeight() const { return Top(items_.size()); }

int TodayModel::ItemAt(int y) const {
    if (y < 0) return -1;
    int top = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        int h = int(items_[i].cyp);
        if (y < top + h) return int(i);
        top += h;
    }
    return -1;
}

PollResult TodayModel::Poll(ItemPort& port) {
    PollResult r;
    for (size_t i = 0; i < items_.size(); ++i) {
        const DWORD before = items_[i].cyp;
        LRESULT changed = port.Send(i, WM_TODAYCUSTOM_QUERYREFRESHCACHE,
                                    reinterpret_cast<WPARAM>(&items_[i]), 0);
        if (changed) {
            r.repaint.push_back(i);
            if (items_[i].cyp != before) r.relayout = true;
        } else if (items_[i].cyp != before) {
            // An item that changed its height but answered FALSE still gets laid out.
            r.relayout = true;
        }
    }
    return r;
}

bool TodayModel::Selectable(size_t i) const {
    return i < items_.size() && items_[i].dwSelectability != 0 && items_[i].cyp > 0;
}

bool TodayModel::MoveSelection(ItemPort& port, int step, UINT vk) {
    int from = selected_;
    bool changed = false;
    int i = from < 0 ? (step > 0 ? -1 : int(items_.size())) : from;
    for (i += step; i >= 0 && i < int(items_.size()); i += step) {
        if (!Selectable(size_t(i))) continue;
        if (from >= 0) {
            port.Send(size_t(from), WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
            from = -1;
            selected_ = -1;
            changed = true;
        }
        // An item may refuse the selection; the Today screen then tries the next one.
        if (port.Send(size_t(i), WM_TODAYCUSTOM_RECEIVEDSELECTION, vk, 0)) {
            selected_ = i;
            return true;
        }
    }
    if (from >= 0) {
        // Past the last item the selection leaves the items.
        port.Send(size_t(from), WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
        selected_ = -1;
        return true;
    }
    return changed;
}

bool TodayModel::OnKey(ItemPort& port, UINT vk) {
    if (vk == VK_RETURN) {
        if (selected_ < 0) return false;
        port.Send(size_t(selected_), WM_TODAYCUSTOM_ACTION, VK_RETURN, 0);
        return true;
    }
    if (vk != VK_UP && vk != VK_DOWN && vk != VK_LEFT && vk != VK_RIGHT) return false;
    if (selected_ >= 0 && items_[size_t(selected_)].dwSelectability == 2) {
        // The item moves inside itself first; FALSE lets the Today screen move on.
        if (port.Send(size_t(selected_), WM_TODAYCUSTOM_USERNAVIGATION, vk, 0)) return true;
    }
    if (vk == VK_LEFT || vk == VK_RIGHT) return false;
    return MoveSelection(port, vk == VK_DOWN ? 1 : -1, vk);
}

void TodayModel::OnTookSelection(ItemPort& port, size_t item) {
    if (item >= items_.size() || int(item) == selected_) return;
    if (selected_ >= 0) port.Send(size_t(selected_), WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    selected_ = int(item);
}

void TodayModel::ClearSelection(ItemPort& port) {
    if (selected_ >= 0) port.Send(size_t(selected_), WM_TODAYCUSTOM_LOSTSELECTION, 0, 0);
    selected_ = -1;
}

}  // namespace today
