#include "tab.h"

#include <algorithm>

namespace daybrim {

void CTabList::Insert(std::unique_ptr<CTab> tab) {
    if (!tab) return;
    if (tabs_.empty() || tab->Id() < tabs_.front()->Id()) {
        tabs_.insert(tabs_.begin(), std::move(tab));
        return;
    }
    const int id = tab->Id();
    auto at = std::find_if(tabs_.begin() + 1, tabs_.end(), [&](const std::unique_ptr<CTab>& t) { return !(t->Id() < id); });
    tabs_.insert(at, std::move(tab));
}

CTab* CTabList::Find(int id) const {
    for (const auto& t : tabs_)
        if (t->Id() == id) return t.get();
    return nullptr;
}

CTab* CTabList::FindType(DWORD type) const {
    for (const auto& t : tabs_)
        if (t->GetType() == type) return t.get();
    return nullptr;
}

int CTabList::IndexOf(int id) const {
    for (size_t i = 0; i < tabs_.size(); ++i)
        if (tabs_[i]->Id() == id) return int(i);
    return -1;
}

}  // namespace daybrim
