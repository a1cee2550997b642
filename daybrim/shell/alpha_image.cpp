#include "alpha_image.h"

#include <aygshell.h>

#include <algorithm>

#include "blend.h"
#include "tga.h"

namespace daybrim {

namespace {

class SystemSource : public ImageSource {
public:
    bool ReadFile(const std::wstring& path, std::vector<uint8_t>* bytes) override {
        raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!f) return false;
        const DWORD size = GetFileSize(f.get(), nullptr);
        // A skin picture of more than 64 MB is no skin picture.
        if (size == INVALID_FILE_SIZE || size > (64u << 20)) return false;
        bytes->resize(size);
        DWORD got = 0;
        return size == 0 || (::ReadFile(f.get(), bytes->data(), size, &got, nullptr) && got == size);
    }
    HBITMAP LoadDib(const std::wstring& path) override {
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return nullptr;
        return SHLoadDIBitmap(path.c_str());
    }
    bool ReadTgaResource(HMODULE module, int id, std::vector<uint8_t>* bytes) override {
        if (!module || id < 0) return false;
        HRSRC r = FindResourceW(module, MAKEINTRESOURCEW(id), L"TARGA");
        if (!r) return false;
        HGLOBAL g = LoadResource(module, r);
        const void* p = g ? LockResource(g) : nullptr;
        const DWORD size = SizeofResource(module, r);
        if (!p) return false;
        const uint8_t* b = static_cast<const uint8_t*>(p);
        bytes->assign(b, b + size);
        return true;
    }
    HBITMAP LoadBitmapResource(HMODULE module, int id) override {
        if (!module || id < 0) return nullptr;
        return LoadBitmapW(module, MAKEINTRESOURCEW(id));
    }
    bool Exists(const std::wstring& path) override {
        const DWORD a = GetFileAttributesW(path.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
};

SIZE BitmapSize(HBITMAP b) {
    BITMAP bm = {};
    if (!b || !GetObjectW(b, sizeof bm, &bm)) return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight};
}

}  // namespace

ImageSource& SystemImageSource() {
    static SystemSource s;
    return s;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    return last == L'\\' || last == L'/' ? folder + name : folder + L"\\" + name;
}

CAlphaImage::CAlphaImage(const CAlphaImage& o) { *this = o; }

CAlphaImage& CAlphaImage::operator=(const CAlphaImage& o) {
    if (this == &o) return *this;
    r_ = o.r_;
    g_ = o.g_;
    b_ = o.b_;
    a_ = o.a_;
    height_ = o.height_;
    width_ = o.width_;
    bitmap_.reset(o.bitmap_ ? static_cast<HBITMAP>(CopyImage(o.bitmap_.get(), IMAGE_BITMAP, 0, 0, 0)) : nullptr);
    bmWidth_ = bitmap_ ? o.bmWidth_ : 0;
    bmHeight_ = bitmap_ ? o.bmHeight_ : 0;
    transparent_ = o.transparent_;
    return *this;
}

void CAlphaImage::Release() {
    r_.clear();
    g_.clear();
    b_.clear();
    a_.clear();
    width_ = height_ = 0;
    bitmap_.reset();
    bmWidth_ = bmHeight_ = 0;
}

HRESULT CAlphaImage::LoadTgaBytes(const uint8_t* data, size_t size) {
    olv::tga::Image img;
    if (olv::tga::Decode(data, size, &img) != olv::tga::Error::kNone) return E_FAIL;
    r_ = std::move(img.r);
    g_ = std::move(img.g);
    b_ = std::move(img.b);
    a_ = std::move(img.a);
    width_ = img.width;
    height_ = img.height;
    return S_OK;
}

HRESULT CAlphaImage::LoadTga(const std::wstring& path, ImageSource& src) {
    std::vector<uint8_t> bytes;
    if (!src.ReadFile(path, &bytes)) return E_FAIL;
    return LoadTgaBytes(bytes.data(), bytes.size());
}

HRESULT CAlphaImage::LoadTgaResource(HMODULE module, int id, ImageSource& src) {
    std::vector<uint8_t> bytes;
    if (!src.ReadTgaResource(module, id, &bytes)) return E_FAIL;
    return LoadTgaBytes(bytes.data(), bytes.size());
}

void CAlphaImage::SetBitmap(HBITMAP bitmap, COLORREF transparent) {
    bitmap_.reset(bitmap);
    const SIZE s = BitmapSize(bitmap);
    bmWidth_ = s.cx;
    bmHeight_ = s.cy;
    transparent_ = transparent;
}

bool CAlphaImage::LoadNamed(const std::wstring& folder, const std::wstring& name, HMODULE module, int tgaId,
                            int bitmapId, COLORREF transparent, bool tryHigh, ImageSource& src) {
    Release();
    if (!folder.empty()) {
        if (LoadTga(JoinPath(folder, name + L".tga"), src) == S_OK) return true;
        HBITMAP b = src.LoadDib(JoinPath(folder, name + L".bmp"));
        if (!b && tryHigh) b = src.LoadDib(JoinPath(folder, name + L"_high.bmp"));
        if (b) {
            SetBitmap(b, transparent);
            return true;
        }
    }
    if (tgaId != -1) return LoadTgaResource(module, tgaId, src) == S_OK;
    if (bitmapId != -1) {
        if (HBITMAP b = src.LoadBitmapResource(module, bitmapId)) {
            SetBitmap(b, transparent);
            return true;
        }
    }
    return false;
}

uint32_t CAlphaImage::PlanePixel(int x, int y) const {
    if (!HasPlanes() || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const size_t i = size_t(y) * size_t(width_) + size_t(x);
    return uint32_t(r_[i]) | (uint32_t(g_[i]) << 8) | (uint32_t(b_[i]) << 16) | (uint32_t(a_[i]) << 24);
}

DibCanvas::DibCanvas(HDC like, int w, int h) : w_(w), h_(h) {
    if (w <= 0 || h <= 0) return;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(like, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(CreateCompatibleDC(like));
    if (!bitmap_ || !dc_ || !bits) return;
    old_ = SelectObject(dc_.get(), bitmap_.get());
    bits_ = static_cast<uint8_t*>(bits);
    stride_ = (w * 3 + 3) & ~3;
}

DibCanvas::~DibCanvas() {
    if (old_) SelectObject(dc_.get(), old_);
}

void CAlphaImage::Draw(HDC dc, int x, int y, int w, int h, int sx, int sy, int cw, int ch) const {
    if (!HasPlanes() || !dc) return;
    if (w < 0) w = width_;
    if (h < 0) h = height_;
    if (cw < 0) cw = w;
    if (ch < 0) ch = h;
    // An offset outside the image draws nothing rather than reading past it.
    sx = std::max(0, std::min(sx, width_));
    sy = std::max(0, std::min(sy, height_));
    const int cols = std::min(std::min(cw, w), width_ - sx);
    const int rows = std::min(std::min(ch, h), height_ - sy);
    if (cols <= 0 || rows <= 0) return;
    DibCanvas canvas(dc, w, h);
    if (!canvas.ok()) return;
    BitBlt(canvas.dc(), 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    for (int row = 0; row < rows; ++row) {
        uint8_t* px = canvas.Row(row);
        const size_t at = size_t(row + sy) * size_t(width_) + size_t(sx);
        for (int col = 0; col < cols; ++col, px += 3) {
            const uint32_t a = a_[at + size_t(col)];
            if (a == 0) continue;
            px[0] = BlendChannel(b_[at + size_t(col)], px[0], a);
            px[1] = BlendChannel(g_[at + size_t(col)], px[1], a);
            px[2] = BlendChannel(r_[at + size_t(col)], px[2], a);
        }
    }
    BitBlt(dc, x, y, w, h, canvas.dc(), 0, 0, SRCCOPY);
}

void CAlphaImage::DrawTransparent(HDC dc, int x, int y) const {
    if (HasPlanes()) {
        Draw(dc, x, y);
        return;
    }
    if (!bitmap_ || !dc) return;
    raii::MemDC mem(CreateCompatibleDC(dc));
    raii::Select sel(mem.get(), bitmap_.get());
    TransparentImage(dc, x, y, bmWidth_, bmHeight_, mem.get(), 0, 0, bmWidth_, bmHeight_, transparent_);
}

void DrawAlphaMaskPair(HDC dc, int x, int y, int w, int h, HBITMAP colour, int sx, int sy, int cols, int rows,
                       HBITMAP mask) {
    if (!dc || !colour || !mask || w <= 0 || h <= 0) return;
    const SIZE cs = BitmapSize(colour), ms = BitmapSize(mask);
    const int bw = std::min(cs.cx, ms.cx), bh = std::min(cs.cy, ms.cy);
    sx = std::max(0, std::min(sx, bw));
    sy = std::max(0, std::min(sy, bh));
    cols = std::min(std::min(cols, w), bw - sx);
    rows = std::min(std::min(rows, h), bh - sy);
    if (cols <= 0 || rows <= 0) return;
    DibCanvas dst(dc, cols, rows), col(dc, cols, rows), msk(dc, cols, rows);
    if (!dst.ok() || !col.ok() || !msk.ok()) return;
    BitBlt(dst.dc(), 0, 0, cols, rows, dc, x, y, SRCCOPY);
    {
        raii::MemDC src(CreateCompatibleDC(dc));
        raii::Select s1(src.get(), colour);
        BitBlt(col.dc(), 0, 0, cols, rows, src.get(), sx, sy, SRCCOPY);
    }
    {
        raii::MemDC src(CreateCompatibleDC(dc));
        raii::Select s2(src.get(), mask);
        BitBlt(msk.dc(), 0, 0, cols, rows, src.get(), sx, sy, SRCCOPY);
    }
    GdiFlush();
    for (int r = 0; r < rows; ++r) {
        uint8_t* d = dst.Row(r);
        const uint8_t* c = col.Row(r);
        const uint8_t* m = msk.Row(r);
        for (int i = 0; i < cols * 3; i += 3) {
            const uint32_t a = m[i + 2];  // the mask's red channel
            d[i] = BlendChannel(c[i], d[i], a);
            d[i + 1] = BlendChannel(c[i + 1], d[i + 1], a);
            d[i + 2] = BlendChannel(c[i + 2], d[i + 2], a);
        }
    }
    BitBlt(dc, x, y, cols, rows, dst.dc(), 0, 0, SRCCOPY);
}

void FillBlended(HDC dc, int x, int y, int w, int h, COLORREF colour, int opacity) {
    if (!dc || w <= 0 || h <= 0) return;
    opacity = std::max(0, std::min(opacity, 255));
    DibCanvas canvas(dc, w, h);
    if (!canvas.ok()) return;
    BitBlt(canvas.dc(), 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    for (int r = 0; r < h; ++r) BlendRowBGR(canvas.Row(r), w, colour, uint32_t(opacity));
    BitBlt(dc, x, y, w, h, canvas.dc(), 0, 0, SRCCOPY);
}

bool DrawSkinImage(HDC dc, int x, int y, const std::wstring& folder, const std::wstring& name, CAlphaImage* image,
                   int tgaId, bool high, HMODULE module, ImageSource& src) {
    if (!folder.empty()) {
        const std::wstring tga = JoinPath(folder, name + L".tga");
        if (image && (image->HasPlanes() || (src.Exists(tga) && image->LoadTga(tga, src) == S_OK))) {
            image->Draw(dc, x, y);
            return true;
        }
        const wchar_t* ext = high ? L"_high.bmp" : L".bmp";
        raii::Bitmap colour(src.LoadDib(JoinPath(folder, name + L"_alpha" + ext)));
        raii::Bitmap mask(colour ? src.LoadDib(JoinPath(folder, name + L"_mask" + ext)) : nullptr);
        if (colour && mask) {
            const SIZE s = BitmapSize(colour.get());
            DrawAlphaMaskPair(dc, x, y, s.cx, s.cy, colour.get(), 0, 0, s.cx, s.cy, mask.get());
            return true;
        }
    }
    if (!image) return false;
    if (!image->HasPlanes() && image->LoadTgaResource(module, tgaId, src) != S_OK) return false;
    image->Draw(dc, x, y);
    return true;
}

int DrawTextWithEffect(HDC dc, RECT* rc, const wchar_t* text, bool withEffect, UINT flags, int effect,
                       COLORREF colour, const EffectDefaults& defaults) {
    if (!dc || !rc || !text) return 0;
    flags |= DT_NOPREFIX;
    if (withEffect) {
        if (colour == 0xFFFFFFFF) colour = defaults.colour != 0xFFFFFFFF ? defaults.colour : RGB(0x28, 0x28, 0x28);
        if (effect < 0) effect = defaults.effect;
        static const POINT kGlow[] = {{0, -1}, {-1, 0}, {0, 1}, {1, 0}};
        static const POINT kRight[] = {{1, 0}};
        static const POINT kShadow[] = {{1, 1}};
        static const POINT kBottom[] = {{0, 1}};
        const POINT* offs = nullptr;
        int n = 0;
        switch (effect) {
        case 1: offs = kRight; n = 1; break;
        case 2: offs = kShadow; n = 1; break;
        case 3: offs = kBottom; n = 1; break;
        case 4: offs = kGlow; n = 4; break;
        }
        if (n) {
            const COLORREF text_colour = GetTextColor(dc);
            SetTextColor(dc, colour);
            for (int i = 0; i < n; ++i) {
                RECT r = *rc;
                OffsetRect(&r, offs[i].x, offs[i].y);
                DrawTextW(dc, text, -1, &r, flags);
            }
            SetTextColor(dc, text_colour);
        }
    }
    return DrawTextW(dc, text, -1, rc, flags);
}

}  // namespace daybrim
