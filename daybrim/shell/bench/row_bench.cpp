// Microseconds per row for 1,000 appointment and task rows: measured only (the
// list's height pass) and drawn into a 240-pixel back buffer with Tahoma.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "item_painter.h"
#include "raii.h"

using namespace daybrim;

namespace {

constexpr int kRows = 1000;

class NoIcons : public RowIcons {
public:
    void Draw(HDC, IconId, int, int) override {}
    void DrawFixed(HDC, Fixed, int, int) override {}
};

template <typename F>
double PerRow(F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < kRows; ++i) f(i);
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(t1 - t0).count() / kRows;
}

}  // namespace

int main() {
    raii::MemDC dc(CreateCompatibleDC(nullptr));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof bi.bmiHeader, 240, -400, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    raii::Bitmap bmp(CreateDIBSection(dc.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::Select sel(dc.get(), bmp.get());
    raii::Font font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));

    Scaler sc;
    RowSettings s;
    s.apptDisplayFormat = 3;
    s.leadingRects = 1;
    NoIcons icons;
    RowStyle st;
    st.font = font.get();
    ApptInput appt;
    appt.subject = L"Quarterly planning meeting with the whole product team";
    appt.timeText = L"9:00-10:30";
    appt.secondLine = L"Room 4";
    appt.icons.reminder = appt.icons.note = true;
    appt.rightMask = 0x1FF;
    TaskInput task;
    task.subject = L"Send the signed contract back to the lawyers";
    task.duePrefix = L"Fri";
    task.onCalendar = true;
    task.icons.reminder = true;
    task.rightMask = 0x1FF;

    struct Form {
        const char* name;
        int folding;
    } forms[] = {{"full", 0}, {"compact", 1}};
    for (const Form& f : forms) {
        s.foldingType = f.folding;
        task.foldingType = f.folding;
        CItemPainter painter(sc, s, &icons);
        for (bool draw : {false, true}) {
            RowArea a;
            a.right = a.contentRight = 240;
            a.bottom = 400;
            a.draw = draw;
            const double ap = PerRow([&](int i) {
                a.top = (i % 10) * 30;
                painter.DrawAppointment(dc.get(), a, st, appt, LeadingFill());
            });
            const double tk = PerRow([&](int i) {
                a.top = (i % 10) * 30;
                painter.DrawTask(dc.get(), a, st, task);
            });
            std::printf("%-8s %-8s appointment %8.2f us/row   task %8.2f us/row\n", f.name,
                        draw ? "draw" : "measure", ap, tk);
        }
    }
    return 0;
}
