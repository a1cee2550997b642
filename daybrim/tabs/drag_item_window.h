// CDragItemWindow: the picture of a row that follows the pen while an
// appointment or task is dragged onto a day of the pinned monthly calendar,
// with a line saying what a drop there would do.
#pragma once
#include <windows.h>

#include <string>

#include "raii.h"
#include "window.h"

namespace daybrim {

class CDragItemWindow : public win::Window {
public:
    static const wchar_t kClass[];

    // Copies the screen's pixels under `screenRect` (the row as drawn) and shows
    // them in a top-level window at the same place. False when no window came.
    bool Create(HINSTANCE inst, const RECT& screenRect);
    // Moves by the pen's movement since the last call.
    void MoveBy(int dx, int dy);
    // The line over the picture; empty hides it.
    void SetText(const std::wstring& text);
    const std::wstring& text() const { return text_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint(HDC dc, int w, int h);

    raii::Bitmap image_;
    int width_ = 0, height_ = 0;
    std::wstring text_;
};

// The drop line: what a drop does (copy or move), to what (appointment or
// task), then "to" and the day; the four parts come from the language library.
std::wstring DragDropText(const std::wstring& verb, const std::wstring& what, const std::wstring& to,
                          const std::wstring& day);

}  // namespace daybrim
