#include "row_list.h"

#include <algorithm>

namespace daybrim {

ItemKey KeyOf(const TItem* item) {
    ItemKey k;
    if (!item) return k;
    k.kind = item->Kind();
    k.id = item->Id();
    if (const TChildItem* c = dynamic_cast<const TChildItem*>(item)) {
        if (c->parent) k.group = c->parent->Id();
    }
    return k;
}

void RowList::Begin() {
    // The rows may point at items a reload already freed: only the key taken
    // when the highlight was set is used here.
    remembered_ = currentKey_;
    rememberedIndex_ = current_ == kNone ? 0 : current_;
    currentKey_ = ItemKey();
    rows_.clear();
    placeholders_.clear();
    current_ = kNone;
}

void RowList::AppendItem(TItem* item) {
    if (item) rows_.push_back(item);
}

void RowList::AppendGroup(TItemWithList* group) {
    if (!group || !group->IsVisibleCached()) return;
    rows_.push_back(group);
    if (group->folded) return;
    const size_t before = rows_.size();
    for (TChildItem* c : group->children())
        if (c->IsVisibleCached()) rows_.push_back(c);
    if (rows_.size() == before) AppendEmpty(group);
}

void RowList::AppendEmpty(TItemWithList* group) {
    std::unique_ptr<TEmptyItem> e(new TEmptyItem(false));
    e->parent = group;
    rows_.push_back(e.get());
    placeholders_.push_back(std::move(e));
}

void RowList::End() {
    if (rows_.empty()) {
        placeholders_.emplace_back(new TEmptyItem(true));
        rows_.push_back(placeholders_.back().get());
    }
    // Rows keep the heights they were laid out with: an item the data layer
    // replaced comes new and unmeasured, and the tab invalidates all on a resize.
    if (!remembered_.IsSet()) return;
    int at = IndexOf(remembered_);
    if (at == kNone) at = std::min<int>(rememberedIndex_, static_cast<int>(rows_.size()) - 1);
    current_ = at;
    currentKey_ = KeyOf(At(at));
    remembered_ = ItemKey();
}

void RowList::InvalidateAll() {
    for (TItem* r : rows_) r->InvalidateLayout();
}

TItem* RowList::At(int index) const {
    return index >= 0 && index < static_cast<int>(rows_.size()) ? rows_[index] : nullptr;
}

int RowList::IndexOf(const ItemKey& key) const {
    if (!key.IsSet()) return kNone;
    for (size_t i = 0; i < rows_.size(); ++i)
        if (KeyOf(rows_[i]) == key) return static_cast<int>(i);
    return kNone;
}

bool RowList::SetHighlight(int index) {
    if (index < 0 || index >= static_cast<int>(rows_.size())) index = kNone;
    if (index == current_) return false;
    if (TItem* old = At(current_)) old->InvalidateLayout();
    current_ = index;
    currentKey_ = KeyOf(At(current_));
    if (TItem* now = At(current_)) now->InvalidateLayout();
    return true;
}

int RowList::Layout(int offset, int viewHeight, const RowPainter& paint, const RowMeasure& measure,
                    bool showHighlight) {
    int y = -offset;
    for (size_t i = 0; i < rows_.size(); ++i) {
        TItem& item = *rows_[i];
        const bool highlighted = showHighlight && static_cast<int>(i) == current_;
        const bool stale = item.TakeLayoutChange();
        int h = std::max(0, item.cachedBottom - item.cachedTop);
        if (!stale && (y + h < 0 || y > viewHeight)) {
            // Off screen: its last known height keeps the rows below in place.
            y += h;
            continue;
        }
        if (stale && measure && (y > viewHeight || (y < 0 && y + (h = measure(item, highlighted)) <= 0))) {
            if (y > viewHeight) h = measure(item, highlighted);
            item.cachedTop = y + offset;
            y += std::max(0, h);
            item.cachedBottom = y + offset;
            continue;
        }
        item.cachedTop = y + offset;
        y += std::max(0, paint(item, y, highlighted));
        item.cachedBottom = y + offset;
    }
    return y + offset;
}

int RowList::HitTest(int contentY) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        const TItem* r = rows_[i];
        if (r->cachedTop <= contentY && contentY < r->cachedBottom) return static_cast<int>(i);
    }
    return kNone;
}

int RowList::OffsetToShow(int index, int previous, int offset, int viewHeight, const Measure& measure) const {
    TItem* item = At(index);
    if (!item) return offset;
    const int top = item->cachedTop, bottom = item->cachedBottom;
    if (top < offset) return std::max(0, top);
    const int kind = item->Kind();
    if (kind >= kKindAppt && kind <= kKindMailAccount && measure) {
        // These rows may draw taller highlighted; coming down from their own
        // title, keep the title in view with them.
        int regionTop = top;
        int height = measure(*item);
        TItem* prev = At(previous);
        const TChildItem* child = dynamic_cast<const TChildItem*>(item);
        if (prev && child && prev == static_cast<TItem*>(child->parent)) {
            regionTop = prev->cachedTop;
            height += prev->cachedBottom - prev->cachedTop;
        }
        if (regionTop + height > offset + viewHeight) return regionTop + height - viewHeight;
        return offset;
    }
    if (bottom > offset + viewHeight) return bottom - viewHeight;
    return offset;
}

}  // namespace daybrim
