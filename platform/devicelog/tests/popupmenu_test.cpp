// Popup menus of device programs are answered by tests and scripts, or cancelled
// when nobody can see them, and logged with what they offered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cesim_shell.h"
#include "devicelog.h"
#include "raii.h"

namespace {

std::string Text(const std::vector<devlog::Field>& line, const char* name) {
    const devlog::Field* f = devlog::Find(line, name);
    return f ? f->text : "<missing>";
}

// Open (10), Delete (11, greyed), a separator, More > Copy (20), Settings... (30)
// with its accelerator mark and a shortcut after a tab.
raii::Menu SampleMenu() {
    raii::Menu menu(CreatePopupMenu());
    HMENU more = CreatePopupMenu();
    AppendMenuW(more, MF_STRING, 20, L"&Copy");
    AppendMenuW(menu.get(), MF_STRING, 10, L"&Open");
    AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 11, L"Delete");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(more), L"More");
    AppendMenuW(menu.get(), MF_STRING, 30, L"Se&ttings...\tCtrl+S");
    return menu;
}

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override { from_ = devlog::LogSize(); }
    void TearDown() override { CeSim_SetMenuAnswer(nullptr); }
    std::vector<std::vector<devlog::Field>> Menus() {
        std::vector<std::vector<devlog::Field>> out;
        for (auto& l : devlog::ReadLog(from_))
            if (devlog::Find(l, "source")->text == "menu") out.push_back(l);
        return out;
    }
    unsigned long long from_ = 0;
};

}  // namespace

TEST_F(PopupMenuTest, AnAnswerChoosesItsCommandOnce) {
    const struct {
        const wchar_t* answer;
        BOOL chosen;
    } cases[] = {
        {L"Open", 10},          {L"#30", 30},      {L"Settings...", 30}, {L"More/Copy", 20}, {L"Copy", 20},
        {L"cancel", 0},         {L"Delete", 0},    {L"#11", 0},          {L"Nothing", 0},    {L"", 0},
    };
    raii::Menu menu = SampleMenu();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.answer, c.answer + wcslen(c.answer)));
        CeSim_SetMenuAnswer(c.answer);
        EXPECT_EQ(c.chosen, TrackPopupMenuEx(menu.get(), TPM_RETURNCMD, 0, 0, nullptr, nullptr));
    }
    // The answers were used up: with nobody to see it, the next one is cancelled.
    EXPECT_EQ(0, TrackPopupMenuEx(menu.get(), TPM_RETURNCMD, 0, 0, nullptr, nullptr));

    auto logged = Menus();
    ASSERT_EQ(std::size(cases) + 1, logged.size());
    EXPECT_EQ("answered", Text(logged[0], "event"));
    EXPECT_EQ("Open|Delete (disabled)|-|More|More/Copy|Settings...", Text(logged[0], "items"));
    EXPECT_EQ("Open", Text(logged[0], "answer"));
    EXPECT_EQ("10", Text(logged[0], "chosen"));
    EXPECT_EQ("script", Text(logged[0], "by"));
    EXPECT_EQ("devicelog_test.exe", Text(logged[0], "program"));
    EXPECT_EQ("cancel", Text(logged.back(), "answer"));
    EXPECT_EQ("headless", Text(logged.back(), "by"));
}

TEST_F(PopupMenuTest, WithoutReturnCmdTheChoiceIsPostedToTheOwnerAfterItsInitMessage) {
    static std::vector<std::pair<UINT, WPARAM>> seen;
    seen.clear();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_INITMENUPOPUP || m == WM_COMMAND) seen.push_back({m, m == WM_COMMAND ? wp : 0});
        return DefWindowProcW(h, m, wp, lp);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PopupMenuOwner";
    RegisterClassW(&wc);
    struct Owner {
        HWND hwnd;
        ~Owner() { DestroyWindow(hwnd); }
        HWND get() const { return hwnd; }
    } owner{CreateWindowW(L"PopupMenuOwner", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr)};
    ASSERT_TRUE(owner.get());
    raii::Menu menu = SampleMenu();

    CeSim_SetMenuAnswer(L"Copy");
    EXPECT_TRUE(TrackPopupMenuEx(menu.get(), 0, 0, 0, owner.get(), nullptr));
    ASSERT_EQ(1u, seen.size());  // the choice comes later, posted
    EXPECT_EQ(UINT(WM_INITMENUPOPUP), seen[0].first);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(UINT(WM_COMMAND), seen[1].first);
    EXPECT_EQ(WPARAM(20), seen[1].second);

    // Cancelled: nothing is posted.
    CeSim_SetMenuAnswer(L"cancel");
    EXPECT_TRUE(TrackPopupMenu(menu.get(), 0, 0, 0, 0, owner.get(), nullptr));
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    EXPECT_EQ(3u, seen.size());  // only the second menu's WM_INITMENUPOPUP
}

TEST_F(PopupMenuTest, NotAMenuFailsAndKeepsTheAnswer) {
    CeSim_SetMenuAnswer(L"Open");
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(TrackPopupMenuEx(reinterpret_cast<HMENU>(0x1234), TPM_RETURNCMD, 0, 0, nullptr, nullptr));
    EXPECT_EQ(DWORD(ERROR_INVALID_MENU_HANDLE), GetLastError());
    EXPECT_TRUE(Menus().empty());
    raii::Menu menu = SampleMenu();
    EXPECT_EQ(10, TrackPopupMenuEx(menu.get(), TPM_RETURNCMD, 0, 0, nullptr, nullptr));
}
