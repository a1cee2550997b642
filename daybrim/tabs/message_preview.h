// The Mail tab's preview: a bordered popup centred on the screen with the
// message's sender, date and subject and its body in the HTML view control (HTML
// bodies) or a read-only ink control (plain text), and a caption strip of
// buttons. It holds no row of the tab: closing it tells the owner the chosen
// button, and the owner acts on the message it remembers by entry id.
#pragma once
#include <windows.h>

#include <string>

#include "caption_buttons.h"
#include "messages_logic.h"
#include "raii.h"
#include "shell_env.h"
#include "window.h"

namespace daybrim {

// To the owner when the preview has gone: wParam the button it closed with
// (kPreviewClose when it only lost activation), lParam the tag it was opened
// with. A preview replaced by the next one sends this only after the next is
// open, so the tag is what tells the two apart.
const UINT WM_DR_PREVIEWCLOSED = 1493;

// The language library's texts of the preview.
namespace preview_text {
constexpr unsigned kFrom = 41008, kSubject = 41009, kDate = 41010, kTitle = 41380;
}

struct PreviewContent {
    std::wstring sender, subject;
    double received = 949998.0;
    bool textMessage = false;
    bool hasBody = false;
    bool html = false;
    std::wstring body;
};

class CMessagePreview : public win::Window {
public:
    static const wchar_t kClass[];

    ~CMessagePreview() override;
    // Shows `content` over the screen, owned by `owner`; a preview already open is
    // closed first.
    bool Open(const ShellEnv* env, HWND owner, const PreviewContent& content, LPARAM tag = 0);
    // Closes with `result` (the owner hears it once).
    void Close(int result);
    bool IsOpen() const { return hwnd_ != nullptr; }
    // The body control, for tests: its class tells which control shows the body.
    HWND Body() const { return body_; }
    const CCaptionBarButtons& Buttons() const { return buttons_; }
    // Where the title is written: the title bar left of the caption buttons.
    RECT TitleTextRect() const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void OnCreate();
    void Paint(HDC dc, int w, int h);
    int HeaderBottom() const;
    void CreateBody();
    void OnDestroy();

    const ShellEnv* env_ = nullptr;
    HWND owner_ = nullptr;
    PreviewContent content_;
    CCaptionBarButtons buttons_;
    raii::Library html_;
    HWND body_ = nullptr;
    HWND previousFocus_ = nullptr;
    int result_ = kPreviewClose;
    LPARAM tag_ = 0;
    bool closing_ = false;
    raii::Font normal_, bold_;
};

}  // namespace daybrim
