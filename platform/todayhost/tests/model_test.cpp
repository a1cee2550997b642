// The Today screen's logic with fake items: layout, the refresh poll and the
// selection protocol.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <shlwapi.h>

#include "raii.h"
#include "today_model.h"

using namespace today;

namespace {

struct FakeItem {
    DWORD height = 20;
    bool changed = false;       // answers TRUE to the next query
    LRESULT accept = TRUE;      // answer to RECEIVEDSELECTION
    LRESULT navigate = FALSE;   // answer to USERNAVIGATION
};

// Records every message as "item:message:wParam".
class FakePort : public ItemPort {
public:
    explicit FakePort(std::vector<FakeItem>& items) : items_(items) {}
    LRESULT Send(size_t i, UINT msg, WPARAM wp, LPARAM) override {
        const char* name = msg == WM_TODAYCUSTOM_QUERYREFRESHCACHE ? "query"
                         : msg == WM_TODAYCUSTOM_RECEIVEDSELECTION ? "received"
                         : msg == WM_TODAYCUSTOM_LOSTSELECTION    ? "lost"
                         : msg == WM_TODAYCUSTOM_USERNAVIGATION   ? "navigate"
                         : msg == WM_TODAYCUSTOM_ACTION           ? "action"
                                                                  : "other";
        if (msg != WM_TODAYCUSTOM_QUERYREFRESHCACHE) log.push_back(std::to_string(i) + ":" + name + ":" + std::to_string(wp));
        FakeItem& it = items_[i];
        switch (msg) {
        case WM_TODAYCUSTOM_QUERYREFRESHCACHE: {
            auto* tli = reinterpret_cast<TODAYLISTITEM*>(wp);
            bool answer = it.changed || tli->cyp != it.height;
            tli->cyp = it.height;
            it.changed = false;
            return answer;
        }
        case WM_TODAYCUSTOM_RECEIVEDSELECTION: return it.accept;
        case WM_TODAYCUSTOM_USERNAVIGATION: return it.navigate;
        }
        return 0;
    }
    std::vector<std::string> log;

private:
    std::vector<FakeItem>& items_;
};

TodayModel MakeModel(size_t n, DWORD selectability = 2) {
    TodayModel m;
    for (size_t i = 0; i < n; ++i) {
        TODAYLISTITEM t = {};
        t.fEnabled = TRUE;
        t.dwSelectability = selectability;
        m.Add(t);
    }
    return m;
}

}  // namespace

TEST(TodayModel, ItemsStackAtTheHeightsTheyReport) {
    std::vector<FakeItem> items(3);
    items[0].height = 30;
    items[1].height = 0;   // an item may be empty for a while
    items[2].height = 50;
    FakePort port(items);
    TodayModel m = MakeModel(3);
    PollResult r = m.Poll(port);
    EXPECT_TRUE(r.relayout);
    EXPECT_EQ(0, m.Top(0));
    EXPECT_EQ(30, m.Top(1));
    EXPECT_EQ(30, m.Top(2));
    EXPECT_EQ(80, m.TotalHeight());
    EXPECT_EQ(0, m.ItemAt(29));
    EXPECT_EQ(2, m.ItemAt(30));
    EXPECT_EQ(-1, m.ItemAt(80));
    EXPECT_EQ(-1, m.ItemAt(-1));

    // Nothing changed: no layout, nothing repainted.
    r = m.Poll(port);
    EXPECT_FALSE(r.relayout);
    EXPECT_TRUE(r.repaint.empty());

    // A repaint without a height change, and a height change.
    items[0].changed = true;
    items[2].height = 10;
    r = m.Poll(port);
    EXPECT_TRUE(r.relayout);
    EXPECT_EQ((std::vector<size_t>{0, 2}), r.repaint);
    EXPECT_EQ(40, m.TotalHeight());
}

TEST(TodayModel, DownWalksTheSelectableItemsAndLeavesAtTheEnd) {
    std::vector<FakeItem> items(3);
    FakePort port(items);
    TodayModel m = MakeModel(3);
    m.Poll(port);
    m.Item(1).dwSelectability = 0;  // not selectable: skipped

    EXPECT_TRUE(m.OnKey(port, VK_DOWN));
    EXPECT_EQ(0, m.Selected());
    EXPECT_TRUE(m.OnKey(port, VK_DOWN));
    EXPECT_EQ(2, m.Selected());
    EXPECT_TRUE(m.OnKey(port, VK_DOWN));
    EXPECT_EQ(-1, m.Selected());
    EXPECT_EQ((std::vector<std::string>{"0:received:40", "0:navigate:40", "0:lost:0", "2:received:40",
                                        "2:navigate:40", "2:lost:0"}),
              port.log);
}

TEST(TodayModel, ItemsMayKeepTheKeyOrRefuseTheSelection) {
    std::vector<FakeItem> items(3);
    FakePort port(items);
    TodayModel m = MakeModel(3);
    m.Poll(port);
    items[0].accept = FALSE;      // refuses: the next one is tried
    EXPECT_TRUE(m.OnKey(port, VK_DOWN));
    EXPECT_EQ(1, m.Selected());

    items[1].navigate = TRUE;     // moves inside itself: the selection stays
    port.log.clear();
    EXPECT_TRUE(m.OnKey(port, VK_DOWN));
    EXPECT_EQ(1, m.Selected());
    EXPECT_EQ((std::vector<std::string>{"1:navigate:40"}), port.log);

    items[1].navigate = FALSE;
    port.log.clear();
    EXPECT_TRUE(m.OnKey(port, VK_UP));  // back up past the refusing item: the selection leaves
    EXPECT_EQ(-1, m.Selected());
    EXPECT_EQ((std::vector<std::string>{"1:navigate:38", "1:lost:0", "0:received:38"}), port.log);

    // Up with nothing selected starts from the bottom.
    EXPECT_TRUE(m.OnKey(port, VK_UP));
    EXPECT_EQ(2, m.Selected());
}

TEST(TodayModel, ActionTapAndSideKeys) {
    std::vector<FakeItem> items(2);
    FakePort port(items);
    TodayModel m = MakeModel(2);
    m.Poll(port);
    EXPECT_FALSE(m.OnKey(port, VK_RETURN));  // nothing selected: nobody acts
    m.OnTookSelection(port, 1);
    EXPECT_EQ(1, m.Selected());
    m.OnTookSelection(port, 1);              // a second tap changes nothing
    m.OnTookSelection(port, 0);
    EXPECT_TRUE(m.OnKey(port, VK_RETURN));
    EXPECT_FALSE(m.OnKey(port, VK_LEFT));    // not kept by the item, and no place to go
    m.OnTookSelection(port, 7);              // an unknown item is ignored
    EXPECT_EQ((std::vector<std::string>{"1:lost:0", "0:action:13", "0:navigate:37"}), port.log);

    // An item the host handles (selectability 1) is never asked to navigate.
    TodayModel host = MakeModel(2, 1);
    host.Poll(port);
    port.log.clear();
    host.OnKey(port, VK_DOWN);
    host.OnKey(port, VK_DOWN);
    EXPECT_EQ((std::vector<std::string>{"0:received:40", "0:lost:0", "1:received:40"}), port.log);
}

TEST(TodayModel, ItemConfigsFromTheRegistry) {
    const wchar_t* key = L"Software\\CeSimTests\\TodayItems";
    SHDeleteKeyW(HKEY_CURRENT_USER, key);
    auto item = [&](const wchar_t* name, DWORD order, const wchar_t* dll, DWORD type) {
        raii::Key k;
        std::wstring path = std::wstring(key) + L"\\" + name;
        RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.out(), nullptr);
        RegSetValueExW(k.get(), L"Order", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&order), sizeof order);
        RegSetValueExW(k.get(), L"Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type);
        if (dll)
            RegSetValueExW(k.get(), L"DLL", 0, REG_SZ, reinterpret_cast<const BYTE*>(dll),
                           DWORD((wcslen(dll) + 1) * 2));
    };
    item(L"Zeta", 1, L"\\Windows\\z.dll", 4);
    item(L"Alpha", 2, L"\\Windows\\a.dll", 4);
    item(L"Beta", 1, L"\\Windows\\b.dll", 4);
    item(L"Owner", 0, L"\\Windows\\o.dll", 0);  // a built-in kind: not a custom item
    item(L"NoDll", 0, nullptr, 4);
    std::vector<ItemConfig> got = ReadItemConfigs(HKEY_CURRENT_USER, key);
    ASSERT_EQ(3u, got.size());
    EXPECT_EQ(L"Beta", got[0].name);
    EXPECT_EQ(L"Zeta", got[1].name);
    EXPECT_EQ(L"Alpha", got[2].name);
    EXPECT_EQ(L"\\Windows\\a.dll", got[2].dll);
    EXPECT_TRUE(got[2].enabled);
    EXPECT_EQ(2u, got[2].selectability);
    SHDeleteKeyW(HKEY_CURRENT_USER, key);
    EXPECT_TRUE(ReadItemConfigs(HKEY_CURRENT_USER, key).empty());
}
