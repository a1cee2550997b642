// The Mail tab over the messaging stand-in and a mail volume of the test's own:
// read flags and deletes reach the store, the preview acts only on the message it
// shows, and mail delivered by another writer reaches the running tab at once and
// the calendar's account lines after the host's debounce (on a fake clock).
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <memory>
#include <string>

#include "cemapi.h"
#include "cesim.h"
#include "fakes.h"
#include "image_cache.h"
#include "mail_store.h"
#include "mailvol.h"
#include "messages_tab.h"
#include "pim_store.h"
#include "png_writer.h"
#include "reg.h"
#include "scale.h"
#include "tab_types.h"

namespace daybrim {
namespace {

using mailvol::FolderKind;

cedb::PropValue Str(uint32_t tag, const std::u16string& s) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.str = s;
    return p;
}
cedb::PropValue Num(uint32_t tag, int64_t v) {
    cedb::PropValue p;
    p.propid = mailvol::StoredId(tag);
    p.num = v;
    return p;
}
int64_t Time(int hours) { return 134096148000000000LL + int64_t(hours) * 36000000000LL; }

// Answers the delete question as told and counts the questions.
class Answer : public ConfirmPort {
public:
    bool yes = true;
    int asked = 0;
    std::wstring caption;
    bool Confirm(HWND, const std::wstring&, const std::wstring& c) override {
        ++asked;
        caption = c;
        return yes;
    }
};

// A desktop where the mail program never comes to the front.
class NoMailProgram : public MailWindowPort {
public:
    int posted = 0;
    std::vector<std::wstring> started;
    bool Start(const std::wstring& arguments) override {
        started.push_back(arguments);
        return true;
    }
    Window Foreground() override { return Window{1, L"Dialog", 99}; }
    bool IsMailProgram(uint32_t) override { return false; }
    void Wait(unsigned) override {}
    void BringToTop(uintptr_t) override {}
    void PostCommand(uintptr_t, unsigned) override { ++posted; }
};

// The host: mail changes go to the host's logic, as the item's window sends them.
struct Host {
    HWND hwnd = nullptr;
    CHostCore* core = nullptr;
    int changes = 0;
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<Host*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && m == WM_DR_MAILCHANGED) {
            ++self->changes;
            if (self->core) self->core->OnMailChanged();
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    Host() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = L"MessagesTabTestHost";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 240, 300, nullptr, nullptr, nullptr,
                               nullptr);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Host() { DestroyWindow(hwnd); }
};

class MessagesTabTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryW(L"\\Temp", nullptr);
        ce_ = L"\\Temp\\daybrim_messages_tab.vol";
        DeleteFileW(ce_.c_str());
        wchar_t full[MAX_PATH];
        GetFullPathNameW(ce_.c_str(), MAX_PATH, full, nullptr);
        path_ = std::string(full, full + lstrlenW(full));
        cedb::Error e;
        vol_ = cedb::Volume::Open(path_, true, &e);
        ASSERT_TRUE(vol_);
        mail_ = std::make_unique<mailvol::MailVolume>(*vol_);
        ASSERT_EQ(mail_->Init(), cedb::Error::kOk);
        uint32_t work = 0, home = 0;
        ASSERT_EQ(mail_->CreateAccount(u"Work", &work), cedb::Error::kOk);
        ASSERT_EQ(mail_->CreateAccount(u"Home", &home), cedb::Error::kOk);
        workInbox_ = mail_->FolderOf(work, FolderKind::kInbox);
        workTrash_ = mail_->FolderOf(work, FolderKind::kDeleted);
        Add(workInbox_, u"Budget", 1, false, u"The plain body");
        Add(workInbox_, u"Offsite", 2, true, u"");
        Add(workInbox_, u"Quarter", 3, true, u"");
        Add(mail_->FolderOf(home, FolderKind::kInbox), u"Dinner", 4, true, u"");
        SetEnvironmentVariableW(L"CEMAPI_VOLUME", ce_.c_str());
        // The preview loads its controls by name; these are the build's.
        LoadLibraryW(INKX_DLL);
        LoadLibraryW(HTMLVIEW_DLL);

        settings_.Load(nullptr);
        settings_.IncludeMainOnCal.Set(1);
        store_ = std::make_unique<MailStore>(host_.hwnd);
        ASSERT_TRUE(store_->Load());
        placement_.include = true;
        placement_.texts = &texts_;
        pim_.SetMailSource(&store_->model(), placement_);
        pim_.RebuildMailOnCalendar();
        host_.core = &core_;

        env_.instance = GetModuleHandleW(nullptr);
        env_.settings = &settings_;
        env_.host = host_.hwnd;
        env_.mail = store_.get();
        auto* tab = new CMessagesTab(&env_, store_.get());
        tab_ = tab;
        tab->SetConfirm(&answer_);
        tab->SetMailWindows(&desktop_);
        tab->Initialize(5, L"", L"Mail", L"MessagesTestMain", L"MessagesTestCaption", 0, nullptr, nullptr,
                        L"messages", L"", 414);
        ASSERT_TRUE(tab->Create(host_.hwnd, 0, 22, 240, 250, 0, 0, 140, 20, env_.instance));
        core_.tabs().Insert(std::unique_ptr<CTab>(tab));
        calendar_ = new fakes::Tab(1, TAB_TYPE_CALENDAR);
        core_.tabs().Insert(std::unique_ptr<CTab>(calendar_));
        timers_.onFire = [this](UINT id) {
            if (id == IDT_MAILTOCALENDAR) core_.OnMailTimer();
        };
    }
    void TearDown() override {
        core_.DestroyTabs();
        pim_.SetMailSource(nullptr, CPimStore::MailPlacement());
        store_.reset();
        mail_.reset();
        vol_.reset();
        DeleteFileW(ce_.c_str());
    }
    uint32_t Add(uint32_t folder, const std::u16string& subject, int hour, bool unread, const std::u16string& body) {
        std::vector<cedb::PropValue> props = {Str(PR_SUBJECT_W, subject), Num(PR_MESSAGE_DELIVERY_TIME, Time(hour)),
                                              Num(PR_MESSAGE_FLAGS, unread ? 0 : MSGFLAG_READ)};
        if (!body.empty()) props.push_back(Str(PR_BODY_W, body));
        uint32_t oid = 0;
        EXPECT_EQ(mail_->AddMessage(folder, std::move(props), &oid), cedb::Error::kOk);
        return oid;
    }

    // What the volume holds now, read through a handle of its own: subject ->
    // "inbox"/"trash" and "read"/"unread".
    std::map<std::u16string, std::string> Stored() {
        cedb::Error e;
        auto vol = cedb::Volume::Open(path_, false, &e);
        std::map<std::u16string, std::string> out;
        if (!vol) return out;
        mailvol::MailVolume v(*vol);
        for (auto [folder, name] : {std::make_pair(workInbox_, "inbox"), std::make_pair(workTrash_, "trash")}) {
            for (uint32_t oid : v.Messages(folder)) {
                cedb::Record r;
                if (vol->Read(oid, &r) != cedb::Error::kOk) continue;
                const bool read = (mailvol::NumOf(r, PR_MESSAGE_FLAGS) & MSGFLAG_READ) != 0;
                out[mailvol::StrOf(r, PR_SUBJECT_W)] = std::string(name) + (read ? " read" : " unread");
            }
        }
        return out;
    }
    TMailItem* Message(const std::wstring& subject) {
        for (TGroupingItem* g : tab_->Groups().All())
            for (TChildItem* c : static_cast<TMessagesList*>(g)->children())
                if (static_cast<TMailItem*>(c)->row.subject == subject) return static_cast<TMailItem*>(c);
        return nullptr;
    }
    int CalendarUnread(const std::wstring& account) {
        TDailyList* mail = pim_.Day(kMailDay);
        if (!mail) return -1;
        for (TChildItem* c : mail->children()) {
            const TMsgAccountItem* line = static_cast<const TMsgAccountItem*>(c);
            if (line->name == account) return line->unread;
        }
        return -1;
    }
    bool PumpUntil(int changes) {
        const DWORD deadline = GetTickCount() + 10000;
        while (host_.changes < changes && int(deadline - GetTickCount()) > 0) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        }
        return host_.changes >= changes;
    }
    void Pump() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }

    class Texts : public TextSource {
        std::wstring String(unsigned) const override { return L""; }
    } texts_;
    std::wstring ce_;
    std::string path_;
    std::unique_ptr<cedb::Volume> vol_;
    std::unique_ptr<mailvol::MailVolume> mail_;
    uint32_t workInbox_ = 0, workTrash_ = 0;
    Host host_;
    CSettings settings_;
    fakes::Timers timers_;
    CPimStore pim_{nullptr};
    CPimStore::MailPlacement placement_;
    CHostCore core_{settings_, timers_, pim_};
    std::unique_ptr<MailStore> store_;
    ShellEnv env_;
    Answer answer_;
    NoMailProgram desktop_;
    CMessagesTab* tab_ = nullptr;
    fakes::Tab* calendar_ = nullptr;
};

TEST_F(MessagesTabTest, RowsAreAccountsWithTheirMessagesNewestFirst) {
    std::vector<std::wstring> rows;
    for (size_t i = 0; i < tab_->Rows().Count(); ++i) {
        TItem* item = tab_->Rows().At(int(i));
        if (item->Kind() == kKindGroup) rows.push_back(L"# " + static_cast<TMessagesList*>(item)->title);
        else if (item->Kind() == kKindMail) rows.push_back(static_cast<TMailItem*>(item)->row.subject);
    }
    EXPECT_EQ(rows, (std::vector<std::wstring>{L"# Home", L"Dinner", L"# Work", L"Quarter", L"Offsite", L"Budget"}));
}

TEST_F(MessagesTabTest, ReadUnreadAndDeleteReachTheStore) {
    struct Step {
        const char* name;
        const wchar_t* subject;
        UINT command;
        bool answer;
        const char* want;  // what the volume then holds for the message
        int workUnread;
    } steps[] = {
        {"mark read", L"Offsite", kCmdMarkRead, true, "inbox read", 1},
        {"mark unread", L"Budget", kCmdMarkUnread, true, "inbox unread", 2},
        {"delete answered no", L"Quarter", kCmdDeleteMessage, false, "inbox unread", 2},
        {"delete", L"Quarter", kCmdDeleteMessage, true, "trash unread", 1},
    };
    for (const Step& s : steps) {
        answer_.yes = s.answer;
        TMailItem* m = Message(s.subject);
        ASSERT_NE(m, nullptr) << s.name;
        EXPECT_EQ(tab_->OnContextMenuCommand(m, s.command), 0) << s.name;
        EXPECT_EQ(Stored()[std::u16string(s.subject, s.subject + lstrlenW(s.subject))], s.want) << s.name;
        EXPECT_EQ(tab_->Groups().Group(1)->unread, s.workUnread) << s.name;
    }
    EXPECT_EQ(answer_.caption, L"Quarter");
    EXPECT_EQ(Message(L"Quarter"), nullptr);
    // Message commands with no message are not this tab's.
    EXPECT_EQ(tab_->OnContextMenuCommand(nullptr, kCmdMarkRead), -1);
}

TEST_F(MessagesTabTest, ContextMenusFitTheMessage) {
    auto remaining = [&](TItem* item) {
        raii::Menu menu(CreatePopupMenu());
        for (UINT id : std::initializer_list<UINT>{kCmdReply, kCmdReplyAll, kCmdDialSender, kCmdMarkRead,
                                                   kCmdMarkUnread, kCmdFold, kCmdUnfold, kCmdFoldAllGroups,
                                                   kCmdUnfoldAllGroups})
            AppendMenuW(menu.get(), MF_STRING, id, L"x");
        tab_->PrepareContextMenu(item, menu.get());
        std::vector<UINT> ids;
        for (int i = 0; i < GetMenuItemCount(menu.get()); ++i) ids.push_back(GetMenuItemID(menu.get(), i));
        return ids;
    };
    TMailItem* unread = Message(L"Offsite");
    EXPECT_EQ(remaining(unread), (std::vector<UINT>{kCmdReply, kCmdReplyAll, kCmdMarkRead, kCmdFold, kCmdUnfold,
                                                    kCmdFoldAllGroups, kCmdUnfoldAllGroups}));
    unread->row.textMessage = true;
    unread->row.unread = false;
    EXPECT_EQ(remaining(unread), (std::vector<UINT>{kCmdReply, kCmdDialSender, kCmdMarkUnread, kCmdFold, kCmdUnfold,
                                                    kCmdFoldAllGroups, kCmdUnfoldAllGroups}));
    TMessagesList* open = tab_->Groups().Group(1);
    EXPECT_EQ(remaining(open), (std::vector<UINT>{kCmdReply, kCmdReplyAll, kCmdDialSender, kCmdMarkRead, kCmdMarkUnread,
                                                  kCmdFold, kCmdFoldAllGroups}));
    EXPECT_EQ(tab_->GetContextMenuId(nullptr), 429u);
    EXPECT_EQ(tab_->GetContextMenuId(open), 429u);
    EXPECT_EQ(tab_->GetContextMenuId(unread), 413u);
}

TEST_F(MessagesTabTest, PreviewShowsTheBodyAndClosingMarksRead) {
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Offsite"))));
    ASSERT_TRUE(tab_->Preview().IsOpen());
    EXPECT_EQ(tab_->Preview().Buttons().strip().Count(), 6u);
    tab_->OnPreviewClosed(kPreviewClose);
    EXPECT_EQ(Stored()[u"Offsite"], "inbox read");

    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Budget"))));
    HWND body = tab_->Preview().Body();
    ASSERT_NE(body, nullptr);  // the ink control with the plain body
    wchar_t text[64] = L"";
    GetWindowTextW(body, text, 64);
    EXPECT_STREQ(text, L"The plain body");
    // Replies go nowhere while the mail program's window is not in front.
    tab_->OnPreviewClosed(kPreviewReply);
    EXPECT_EQ(desktop_.posted, 0);
    ASSERT_EQ(desktop_.started.size(), 1u);
    EXPECT_EQ(desktop_.started[0].rfind(L"ENTRYID ", 0), 0u);
    EXPECT_EQ(desktop_.started[0].size(), 8u + 32u);
}

// What a window shows, as RGB rows.
std::vector<uint8_t> Capture(HWND hwnd, int* w, int* h) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    *w = rc.right - rc.left;
    *h = rc.bottom - rc.top;
    std::vector<uint8_t> rgb;
    HDC wdc = GetWindowDC(hwnd);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = *w;
    bi.bmiHeader.biHeight = -*h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    raii::Bitmap dib(CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::MemDC mem(CreateCompatibleDC(wdc));
    if (dib && mem) {
        raii::Select sel(mem.get(), dib.get());
        BitBlt(mem.get(), 0, 0, *w, *h, wdc, 0, 0, SRCCOPY);
        GdiFlush();
        const uint8_t* src = static_cast<const uint8_t*>(bits);
        for (int i = 0; i < *w * *h; ++i) {
            rgb.push_back(src[i * 4 + 2]);
            rgb.push_back(src[i * 4 + 1]);
            rgb.push_back(src[i * 4]);
        }
    }
    ReleaseDC(hwnd, wdc);
    return rgb;
}

TEST_F(MessagesTabTest, PreviewPicturesAtBothSizes) {
    CreateDirectoryW(SNAP_DIR, nullptr);
    // Each resolution on the screen it comes with: the big screen's preview has
    // its six caption buttons and a title to fit beside them.
    auto screen = [](int w, int h) {
        reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenWidth", DWORD(w));
        reg::SetDword(HKEY_LOCAL_MACHINE, CESIM_KEY, L"ScreenHeight", DWORD(h));
    };
    for (int dpi : {96, 192}) {
        TheScaler().dpiX = TheScaler().dpiY = dpi;
        screen(240 * dpi / 96, 320 * dpi / 96);
        // The pictures as the item has them with no skin folder: the build's own
        // library for the resolution.
        raii::Library res(LoadLibraryW(dpi == 96 ? LOW_RES_DLL : HIGH_RES_DLL));
        ASSERT_TRUE(res) << dpi;
        CImageCache images;
        images.Load(res.get(), dpi == 192, L"");
        env_.images = &images;
        for (const wchar_t* subject : {L"Budget", L"Dinner"}) {
            ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(subject)))) << subject;
            HWND preview = tab_->Preview().hwnd();
            ASSERT_NE(preview, nullptr);
            Pump();
            int w = 0, h = 0;
            const std::vector<uint8_t> rgb = Capture(preview, &w, &h);
            ASSERT_EQ(rgb.size(), size_t(w) * size_t(h) * 3);
            EXPECT_EQ(w, std::min(ScaleX(200), GetSystemMetrics(SM_CXSCREEN) - 40)) << dpi;
            const std::vector<uint8_t> png = png::EncodeRgb(w, h, rgb.data());
            const std::wstring name = std::wstring(SNAP_DIR) + L"\\preview_" + subject + L"_" +
                                      (dpi == 96 ? L"240x320" : L"480x640") + L".png";
            HANDLE f = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            DWORD written = 0;
            WriteFile(f, png.data(), DWORD(png.size()), &written, nullptr);
            CloseHandle(f);
            // The title bar in the title colour, and text in the header lines.
            auto at = [&](int x, int y) {
                const size_t i = (size_t(y) * size_t(w) + size_t(x)) * 3;
                return RGB(rgb[i], rgb[i + 1], rgb[i + 2]);
            };
            EXPECT_EQ(at(ScaleX(2), ScaleY(4)), RGB(0, 0, 128)) << dpi;
            int dark = 0;
            for (int y = ScaleY(24); y < ScaleY(24) + 3 * ScaleY(15); ++y)
                for (int x = 0; x < w; ++x)
                    if (GetRValue(at(x, y)) < 100) ++dark;
            EXPECT_GT(dark, 40 * (dpi / 96)) << dpi << " " << subject;
            // The title keeps clear of the caption buttons and still has room to be read.
            RECT strip;
            GetWindowRect(tab_->Preview().Buttons().hwnd(), &strip);
            MapWindowPoints(nullptr, preview, reinterpret_cast<POINT*>(&strip), 2);
            const RECT title = tab_->Preview().TitleTextRect();
            EXPECT_LE(title.right, strip.left) << dpi;
            EXPECT_GE(title.right - title.left, ScaleX(20)) << dpi;
            EXPECT_EQ(at(int(title.right) + (strip.left - title.right) / 2, ScaleY(11)), RGB(0, 0, 128)) << dpi;
            // Every button shows a picture: its square is neither the caption's
            // colour alone nor the one flat colour of the focus mark.
            RECT outer, strip_on_screen;
            GetWindowRect(preview, &outer);
            GetWindowRect(tab_->Preview().Buttons().hwnd(), &strip_on_screen);
            for (size_t i = 0; i < tab_->Preview().Buttons().strip().Count(); ++i) {
                const BarRect cell = tab_->Preview().Buttons().strip().ButtonRect(i);
                std::set<COLORREF> colours;
                for (int y = cell.top; y < cell.bottom; ++y)
                    for (int x = cell.left; x < cell.right; ++x)
                        colours.insert(at(strip_on_screen.left - outer.left + x, strip_on_screen.top - outer.top + y));
                EXPECT_GE(colours.size(), 3u) << dpi << " dpi, " << subject << ", button " << i;
            }
            DestroyWindow(preview);
            Pump();
        }
        env_.images = nullptr;
    }
    TheScaler().dpiX = TheScaler().dpiY = 96;
    screen(240, 320);
}

TEST_F(MessagesTabTest, PreviewDeleteHitsOnlyItsOwnMessageAfterReloads) {
    const MessageRef quarter = RefOf(*Message(L"Quarter"));
    ASSERT_TRUE(tab_->OpenPreview(quarter));
    // Another writer adds a newer message while the preview is open: the rows
    // are rebuilt and the row that was "Quarter" is another message now.
    cedb::Error e;
    auto other = cedb::Volume::Open(path_, false, &e);
    ASSERT_TRUE(other);
    mailvol::MailVolume writer(*other);
    uint32_t fresh = 0;
    ASSERT_EQ(writer.AddMessage(workInbox_, {Str(PR_SUBJECT_W, u"Fresh"), Num(PR_MESSAGE_DELIVERY_TIME, Time(9))},
                                &fresh),
              cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(host_.changes + 1));
    tab_->OnPreviewClosed(kPreviewDelete);
    std::map<std::u16string, std::string> stored = Stored();
    EXPECT_EQ(stored[u"Quarter"], "trash unread");
    EXPECT_EQ(stored[u"Fresh"], "inbox unread");
    EXPECT_EQ(stored[u"Offsite"], "inbox unread");

    // A message deleted elsewhere while previewed: the preview's delete does nothing.
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Offsite"))));
    uint32_t offsite = 0;
    for (uint32_t oid : writer.Messages(workInbox_)) {
        cedb::Record r;
        if (other->Read(oid, &r) == cedb::Error::kOk &&
            mailvol::StrOf(r, PR_SUBJECT_W) == u"Offsite")
            offsite = oid;
    }
    const int changes = host_.changes;
    ASSERT_EQ(writer.Delete(offsite), cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(changes + 1));
    ASSERT_EQ(Message(L"Offsite"), nullptr);
    const int askedBefore = answer_.asked;
    const std::map<std::u16string, std::string> before = Stored();
    tab_->OnPreviewClosed(kPreviewDelete);
    EXPECT_EQ(answer_.asked, askedBefore);
    EXPECT_EQ(Stored(), before);
}

// Another tab chosen while a preview is up: the preview goes with the Mail tab,
// as if closed without a button.
TEST_F(MessagesTabTest, HidingTheTabClosesItsPreview) {
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Offsite"))));
    tab_->Hide(true);
    Pump();
    EXPECT_FALSE(tab_->Preview().IsOpen());
    EXPECT_EQ(Stored()[u"Offsite"], "inbox read");
    tab_->Hide(true);  // nothing open: nothing happens
    Pump();
    EXPECT_EQ(Stored()[u"Quarter"], "inbox unread");
}

// A preview stays up while the Today screen under it is tapped, so a tap on
// another message's icon opens a second one over it. Each closing notice acts
// on the message of the preview it came from, and only once.
TEST_F(MessagesTabTest, APreviewOpenedOverAnotherLeavesEachItsOwnMessage) {
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Offsite"))));
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Quarter"))));
    HWND second = tab_->Preview().hwnd();
    Pump();  // the first preview's notice: closed without a button
    ASSERT_TRUE(tab_->Preview().IsOpen());
    EXPECT_EQ(second, GetFocus() ? GetParent(GetFocus()) : nullptr) << "the new preview keeps the keys";
    std::map<std::u16string, std::string> stored = Stored();
    EXPECT_EQ(stored[u"Offsite"], "inbox read");
    EXPECT_EQ(stored[u"Quarter"], "inbox unread") << "still on show";

    // The second preview's delete button reaches its own message.
    const int asked = answer_.asked;
    SendMessageW(second, WM_DR_CAPTIONBUTTON, kPreviewDelete, 0);
    Pump();
    EXPECT_FALSE(tab_->Preview().IsOpen());
    EXPECT_EQ(answer_.asked, asked + 1);
    stored = Stored();
    EXPECT_EQ(stored[u"Quarter"], "trash unread");
    EXPECT_EQ(stored[u"Offsite"], "inbox read");
    EXPECT_EQ(answer_.caption, L"Quarter");

    // Escape on the caption buttons, where the keys are, closes the preview.
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Dinner"))));
    ASSERT_EQ(GetFocus(), tab_->Preview().Buttons().hwnd());
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump();
    EXPECT_FALSE(tab_->Preview().IsOpen());

    // Notices repeated, or from no preview of this tab, do nothing.
    ASSERT_TRUE(tab_->OpenPreview(RefOf(*Message(L"Budget"))));
    const std::map<std::u16string, std::string> before = Stored();
    for (LPARAM which : {LPARAM(0), LPARAM(1), LPARAM(2), LPARAM(3), LPARAM(12345)})
        SendMessageW(tab_->MainWindow(), WM_DR_PREVIEWCLOSED, kPreviewDelete, which);
    EXPECT_EQ(answer_.asked, asked + 1);
    EXPECT_EQ(Stored(), before);
    EXPECT_TRUE(tab_->Preview().IsOpen());
}

TEST_F(MessagesTabTest, DeliveredMailReachesTheTabAtOnceAndTheCalendarAfterTheDebounce) {
    EXPECT_EQ(CalendarUnread(L"Work"), 2);
    cedb::Error e;
    auto other = cedb::Volume::Open(path_, false, &e);
    ASSERT_TRUE(other);
    mailvol::MailVolume writer(*other);
    uint32_t added = 0;
    ASSERT_EQ(writer.AddMessage(workInbox_, {Str(PR_SUBJECT_W, u"Delivered"), Num(PR_MESSAGE_DELIVERY_TIME, Time(8))},
                                &added),
              cedb::Error::kOk);
    ASSERT_TRUE(PumpUntil(1));
    ASSERT_NE(Message(L"Delivered"), nullptr);
    EXPECT_EQ(tab_->Groups().Group(1)->unread, 3);
    // The calendar waits two seconds after the last change.
    timers_.Advance(1999);
    EXPECT_EQ(CalendarUnread(L"Work"), 2);
    EXPECT_EQ(calendar_->dataChanges, 0);
    timers_.Advance(1);
    EXPECT_EQ(CalendarUnread(L"Work"), 3);
    EXPECT_EQ(CalendarUnread(L"Home"), 1);
    EXPECT_EQ(calendar_->dataChanges, 1);
}

}  // namespace
}  // namespace daybrim
