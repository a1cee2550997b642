// CAlphaImage: a picture with an alpha plane (decoded from TGA) or a plain
// bitmap with a transparent colour, and the drawing helpers of the skin: alpha
// and mask bitmap pairs, blended fills, skin pictures by name and text effects.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "raii.h"

namespace daybrim {

// Where named images come from. The real one reads files and the resolution
// library; tests give a fake file system.
class ImageSource {
public:
    virtual ~ImageSource() = default;
    virtual bool ReadFile(const std::wstring& path, std::vector<uint8_t>* bytes) = 0;
    virtual HBITMAP LoadDib(const std::wstring& path) = 0;  // SHLoadDIBitmap
    virtual bool ReadTgaResource(HMODULE module, int id, std::vector<uint8_t>* bytes) = 0;
    virtual HBITMAP LoadBitmapResource(HMODULE module, int id) = 0;
    virtual bool Exists(const std::wstring& path) = 0;
};
ImageSource& SystemImageSource();

// folder + "\" + name, without doubling a separator the folder already ends with.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

class CAlphaImage {
public:
    CAlphaImage() = default;
    CAlphaImage(const CAlphaImage& o);
    CAlphaImage& operator=(const CAlphaImage& o);
    CAlphaImage(CAlphaImage&&) = default;
    CAlphaImage& operator=(CAlphaImage&&) = default;

    HRESULT LoadTgaBytes(const uint8_t* data, size_t size);
    HRESULT LoadTga(const std::wstring& path, ImageSource& src = SystemImageSource());
    HRESULT LoadTgaResource(HMODULE module, int id, ImageSource& src = SystemImageSource());
    // The folder's "<name>.tga", "<name>.bmp", then (when asked) "<name>_high.bmp";
    // failing those the module's TARGA resource, then its bitmap resource.
    bool LoadNamed(const std::wstring& folder, const std::wstring& name, HMODULE module, int tgaId, int bitmapId,
                   COLORREF transparent, bool tryHigh, ImageSource& src = SystemImageSource());
    // Takes ownership of a bitmap drawn with a transparent colour.
    void SetBitmap(HBITMAP bitmap, COLORREF transparent);
    void Release();

    // Alpha-blends the planes: (w, h) the destination size, (sx, sy) the source
    // offset (clamped into the image), (cw, ch) the clip; -1 means the image's own
    // size. Nothing is drawn without planes.
    void Draw(HDC dc, int x, int y, int w = -1, int h = -1, int sx = 0, int sy = 0, int cw = -1, int ch = -1) const;
    // Planes alpha-blended, else the bitmap with its transparent colour.
    void DrawTransparent(HDC dc, int x, int y) const;

    bool Loaded() const { return HasPlanes() || bitmap_; }
    bool HasPlanes() const { return !a_.empty(); }
    int Width() const { return HasPlanes() ? width_ : bmWidth_; }
    int Height() const { return HasPlanes() ? height_ : bmHeight_; }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    // The pixel (r, g, b, a) at x, y of the planes; for tests.
    uint32_t PlanePixel(int x, int y) const;

private:
    std::vector<uint8_t> r_, g_, b_, a_;
    int height_ = 0;
    int width_ = 0;
    raii::Bitmap bitmap_;
    int bmWidth_ = 0;
    int bmHeight_ = 0;
    COLORREF transparent_ = 0x00FF00;
};

// A 24-bit top-down DIB section with a memory DC selected into it: the canvas
// every software blend works on.
class DibCanvas {
public:
    DibCanvas(HDC like, int w, int h);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    bool ok() const { return bits_ != nullptr; }
    HDC dc() const { return dc_.get(); }
    uint8_t* Row(int y) const { return bits_ + size_t(y) * size_t(stride_); }
    int width() const { return w_; }
    int height() const { return h_; }

private:
    raii::MemDC dc_;
    raii::Bitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    uint8_t* bits_ = nullptr;
    int w_ = 0, h_ = 0, stride_ = 0;
};

// The colour bitmap blended over the DC with the red channel of the mask as the
// opacity; (sx, sy) and (cols, rows) pick the part of the bitmaps drawn.
void DrawAlphaMaskPair(HDC dc, int x, int y, int w, int h, HBITMAP colour, int sx, int sy, int cols, int rows,
                       HBITMAP mask);
// Blends a colour over a rectangle of the DC at opacity 0..255.
void FillBlended(HDC dc, int x, int y, int w, int h, COLORREF colour, int opacity);
// A caption or tab-bar picture by name: "<folder>\<name>.tga" (loaded into `image`
// once), else the pair "<name>_alpha" / "<name>_mask" (".bmp", or "_high.bmp"),
// else the module's TARGA resource (loaded once). Drawn at x, y.
bool DrawSkinImage(HDC dc, int x, int y, const std::wstring& folder, const std::wstring& name, CAlphaImage* image,
                   int tgaId, bool high, HMODULE module, ImageSource& src = SystemImageSource());

// Text with a right, shadow, bottom or glow effect under it. effect -1 and
// colour 0xFFFFFFFF take the defaults the caller passes (the "UseShadowColor" and
// "ShadowFontColor" settings, or 0x282828).
struct EffectDefaults {
    int effect = 0;
    COLORREF colour = 0xFFFFFFFF;
};
int DrawTextWithEffect(HDC dc, RECT* rc, const wchar_t* text, bool withEffect, UINT flags, int effect,
                       COLORREF colour, const EffectDefaults& defaults = EffectDefaults());

}  // namespace daybrim
