// The rows an item list shows: the tab's groups flattened with their visible
// children, the highlight, the layout pass that skips rows outside the view,
// the hit test and the scroll that brings a row into view. Platform-neutral.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "items.h"

namespace daybrim {

// What identifies a row across rebuilds: the items behind the rows belong to the
// data layer and may be replaced by a reload, so the highlight never keeps a
// pointer from one rebuild to the next.
struct ItemKey {
    int kind = -1;          // -1: no item
    uint32_t id = 0;
    uint32_t group = 0;     // the parent group's id (children and placeholders)
    bool IsSet() const { return kind >= 0; }
    bool operator==(const ItemKey& o) const { return kind == o.kind && id == o.id && group == o.group; }
    bool operator!=(const ItemKey& o) const { return !(*this == o); }
};
ItemKey KeyOf(const TItem* item);

// A real item of the list: what a double tap, an open or a drag may act on.
inline bool IsRealItem(int kind) { return kind >= kKindAppt && kind <= kKindMail; }

class RowList {
public:
    static constexpr int kNone = -1;

    RowList() = default;
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    // --- building (a tab's RebuildRows calls AppendGroup between the two)
    void Begin();
    // The title; unless folded its visible children, or a placeholder when none is.
    void AppendGroup(TItemWithList* group);
    // Any row at all (tabs that order their rows themselves).
    void AppendItem(TItem* item);
    // The placeholder of an open group with nothing to show.
    void AppendEmpty(TItemWithList* group);
    // Ends a rebuild: an empty list gets its placeholder, and the highlight goes
    // back to its item, or the row now at its index, or the last row.
    void End();

    size_t Count() const { return rows_.size(); }
    bool Empty() const { return rows_.empty(); }
    TItem* At(int index) const;
    int IndexOf(const ItemKey& key) const;

    // --- highlight
    int Highlighted() const { return current_; }
    TItem* HighlightedItem() const { return At(current_); }
    // True when it changed; the old and new rows are measured again next paint.
    bool SetHighlight(int index);
    bool ClearHighlight() { return SetHighlight(kNone); }

    // --- layout
    // Every row is measured again at the next layout (the width changed).
    void InvalidateAll();
    // Paints one row at `y` (view coordinates); returns its height.
    using RowPainter = std::function<int(TItem& item, int y, bool highlighted)>;
    // Measures one row without painting it.
    using RowMeasure = std::function<int(TItem& item, bool highlighted)>;
    // Lays the rows out from -offset and returns the height of the whole content.
    // Rows outside [0, viewHeight) keep their last height; a stale one outside is
    // measured, not painted, so that a rebuild of a long list paints a screenful.
    int Layout(int offset, int viewHeight, const RowPainter& paint, const RowMeasure& measure, bool showHighlight);
    // The row at content height `y`, or kNone.
    int HitTest(int contentY) const;

    // The offset that shows row `index`, measured highlighted for the kinds that
    // draw taller then; `previous` is the row highlighted before the move.
    using Measure = std::function<int(TItem& item)>;
    int OffsetToShow(int index, int previous, int offset, int viewHeight, const Measure& measureHighlighted) const;

private:
    std::vector<TItem*> rows_;
    std::vector<std::unique_ptr<TEmptyItem>> placeholders_;  // this build's only
    int current_ = kNone;
    ItemKey currentKey_;
    ItemKey remembered_;
    int rememberedIndex_ = 0;
};

}  // namespace daybrim
