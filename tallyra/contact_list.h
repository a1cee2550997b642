// The contact list: every contact of the database in file-as order, narrowed by the
// search, shown in an owner-drawn list view above the keyboard.
//
// The list view holds no rows of its own (LVS_OWNERDATA): it is told how many rows
// the search leaves and asks for each one as it paints, so a key press costs the
// narrowing and one repaint, not thousands of row insertions and deletions.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <array>
#include <vector>

#include "contact_data.h"
#include "contact_db.h"
#include "search.h"
#include "tga_image.h"

namespace tallyra {

struct CContactRecord {
    CeString title;
    CEOID oid = 0;
    std::vector<ContactNumber> numbers;  // the preferred one, or all once expanded
    bool expanded = false;
};

// Language library: what the list shows when no contact matches the search.
constexpr UINT kNoMatchText = 8120;

class CContactList {
public:
    bool Create(HWND parent);
    HWND hwnd() const { return list_; }
    bool Load();
    // Only when the title format changed since the last load.
    bool Reload();

    void AppendKey(int key);
    void TypeChar(wchar_t c);
    bool Accepts(wchar_t c) const { return model_.Accepts(c); }
    void ClearSearch();
    void SetTypedMode(bool typed);
    CContactRecord* SelectedRecord();
    // All numbers of the record, read from the database into a new list that
    // replaces the old one only when the read succeeds.
    bool Expand(CContactRecord* r);

    void Move(int x, int y, int w, int h);
    // Makes the list view ask for the row height again (after a font or row layout
    // change); it asks by itself only when created and when its size changes.
    void RemeasureRows();
    void Measure(MEASUREITEMSTRUCT* mis) const;
    void Draw(const DRAWITEMSTRUCT* dis);
    // NM_CUSTOMDRAW of the list view: with a search that no contact matches, the
    // empty list says so (the keys were taken, nothing matched).
    LRESULT CustomDraw(const NMLVCUSTOMDRAW* cd) const;
    const CTgaImage* Icon(uint32_t property) const;

    const SearchModel& model() const { return model_; }
    size_t RecordCount() const { return records_.size(); }
    int RowHeight() const;

private:
    void Show();
    // Row 0 focused, selected and in view (when there is one).
    void FocusFirst();
    void FitColumn();
    void LoadIcons();

    HWND list_ = nullptr;
    ContactDb db_;
    std::vector<CContactRecord> records_;
    SearchModel model_;
    unsigned titleFormat_ = 0;
    std::array<CTgaImage, 6> icons_;
};

}  // namespace tallyra
