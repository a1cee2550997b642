// Every pixel constant of the item is a 96-dpi design value; these turn it into
// device pixels. Platform-neutral: the host reads the screen's resolution once and
// hands it over.
#pragma once

namespace daybrim {

struct Scaler {
    int dpiX = 96;
    int dpiY = 96;
    bool forcedVga = false;  // "MyVgaMode" 1: double everything whatever the screen says

    int X(int v) const { return Scale(v, dpiX); }
    int Y(int v) const { return Scale(v, dpiY); }
    int Scale(int v, int dpi) const {
        if (forcedVga) return v * 2;
        // Rounded half up on the magnitude, so that -n scales to exactly -(n scaled).
        const long long m = v < 0 ? -static_cast<long long>(v) : v;
        const int r = static_cast<int>((m * dpi + 48) / 96);
        return v < 0 ? -r : r;
    }
};

// The library's one scaler. Its resolution is read from the screen the first time
// the forced-VGA flag is set and kept for the life of the library.
Scaler& TheScaler();
void SetForcedVga(bool on);
inline int ScaleX(int v) { return TheScaler().X(v); }
inline int ScaleY(int v) { return TheScaler().Y(v); }

}  // namespace daybrim
