#include "tga_image.h"

#include <vector>

#include "raii.h"

namespace tallyra {

bool CTgaImage::LoadFile(const CeString& path) {
    img_ = olv::tga::Image();
    raii::File f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return false;
    const DWORD size = GetFileSize(f.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > 32 * 1024 * 1024) return false;
    std::vector<uint8_t> bytes(size);
    DWORD got = 0;
    if (!ReadFile(f.get(), bytes.data(), size, &got, nullptr) || got != size) return false;
    return olv::tga::Decode(bytes.data(), bytes.size(), &img_) == olv::tga::Error::kNone;
}

bool CTgaImage::LoadResource(HMODULE module, int id) {
    img_ = olv::tga::Image();
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(id), L"TARGA") : nullptr;
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    return olv::tga::Decode(static_cast<const uint8_t*>(bytes), SizeofResource(module, found), &img_) ==
           olv::tga::Error::kNone;
}

void CTgaImage::Draw(HDC dc, int x, int y) const {
    const int w = img_.width, h = img_.height;
    if (!w || !h) return;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    raii::Bitmap dib(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    raii::MemDC mem(dib ? CreateCompatibleDC(dc) : nullptr);
    if (!mem) return;
    raii::Select sel(mem.get(), dib.get());
    // Blend over what is there: copy the destination out, mix, copy it back.
    BitBlt(mem.get(), 0, 0, w, h, dc, x, y, SRCCOPY);
    GdiFlush();
    uint8_t* px = static_cast<uint8_t*>(bits);
    for (size_t i = 0, n = size_t(w) * size_t(h); i < n; ++i, px += 4) {
        const uint8_t a = img_.a[i];
        px[0] = BlendChannel(img_.b[i], px[0], a);
        px[1] = BlendChannel(img_.g[i], px[1], a);
        px[2] = BlendChannel(img_.r[i], px[2], a);
    }
    BitBlt(dc, x, y, w, h, mem.get(), 0, 0, SRCCOPY);
}

}  // namespace tallyra
