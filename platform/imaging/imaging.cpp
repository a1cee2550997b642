// imaging.dll: the handheld's imaging library, as far as the system uses it —
// pictures decoded from a memory buffer, their size, thumbnails and drawing. The
// decoding is Wine's Windows Imaging Component, so every format it reads (JPEG,
// PNG, BMP, GIF, ...) works.
#include <wincodec.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "com_base.h"
#include "imaging.h"
#include "raii.h"

namespace {

HINSTANCE g_module;
std::atomic<long> g_objects{0};

// Decoded pixels: 32-bit BGRA, alpha premultiplied, top row first.
struct Pixels {
    UINT width = 0, height = 0;
    std::vector<uint8_t> bgra;
};

HRESULT Decode(const void* data, UINT size, Pixels* out) {
    raii::ComPtr<IWICImagingFactory> wic;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(wic.out()));
    if (FAILED(hr)) return hr;
    raii::ComPtr<IWICStream> stream;
    if (FAILED(hr = wic->CreateStream(stream.out()))) return hr;
    if (FAILED(hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size))) return hr;
    raii::ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(hr = wic->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                 decoder.out())))
        return hr;
    raii::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.out()))) return hr;
    raii::ComPtr<IWICFormatConverter> converter;
    if (FAILED(hr = wic->CreateFormatConverter(converter.out()))) return hr;
    if (FAILED(hr = converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                          nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return hr;
    UINT w = 0, h = 0;
    if (FAILED(hr = converter->GetSize(&w, &h))) return hr;
    // A picture is small; anything claiming more than 16 million pixels is refused.
    if (w == 0 || h == 0 || uint64_t(w) * h > (1u << 24)) return E_FAIL;
    out->width = w;
    out->height = h;
    out->bgra.resize(size_t(w) * h * 4);
    return converter->CopyPixels(nullptr, w * 4, UINT(out->bgra.size()), out->bgra.data());
}

// Area-averaging scale, so that thumbnails of large photos stay smooth.
Pixels Scale(const Pixels& src, UINT w, UINT h) {
    Pixels out;
    out.width = w;
    out.height = h;
    out.bgra.resize(size_t(w) * h * 4);
    for (UINT y = 0; y < h; ++y) {
        const UINT y0 = UINT(uint64_t(y) * src.height / h), y1 = std::max<UINT>(y0 + 1, UINT(uint64_t(y + 1) * src.height / h));
        for (UINT x = 0; x < w; ++x) {
            const UINT x0 = UINT(uint64_t(x) * src.width / w), x1 = std::max<UINT>(x0 + 1, UINT(uint64_t(x + 1) * src.width / w));
            uint32_t sum[4] = {0, 0, 0, 0}, n = 0;
            for (UINT sy = y0; sy < y1; ++sy)
                for (UINT sx = x0; sx < x1; ++sx, ++n)
                    for (int c = 0; c < 4; ++c) sum[c] += src.bgra[(size_t(sy) * src.width + sx) * 4 + size_t(c)];
            for (int c = 0; c < 4; ++c) out.bgra[(size_t(y) * w + x) * 4 + size_t(c)] = uint8_t(sum[c] / n);
        }
    }
    return out;
}

class Image : public com::Object<IImage> {
public:
    explicit Image(Pixels px) : px_(std::move(px)) { ++g_objects; }
    ~Image() override { --g_objects; }

    STDMETHODIMP GetPhysicalDimension(SIZE* size) override {
        if (!size) return E_POINTER;
        // At 96 dpi one pixel is 2540 / 96 hundredths of a millimetre.
        size->cx = LONG(uint64_t(px_.width) * 2540 / 96);
        size->cy = LONG(uint64_t(px_.height) * 2540 / 96);
        return S_OK;
    }
    STDMETHODIMP GetImageInfo(ImageInfo* info) override {
        if (!info) return E_POINTER;
        ZeroMemory(info, sizeof *info);
        info->PixelFormat = PixelFormat32bppARGB;
        info->Width = px_.width;
        info->Height = px_.height;
        info->TileWidth = px_.width;
        info->TileHeight = 1;
        info->Xdpi = info->Ydpi = 96.0;
        info->Flags = SinkFlagsHasAlpha;
        return S_OK;
    }
    STDMETHODIMP SetImageFlags(UINT) override { return S_OK; }
    STDMETHODIMP Draw(HDC hdc, const RECT* dst, const RECT* src) override {
        if (!hdc || !dst) return E_INVALIDARG;
        RECT from = {0, 0, LONG(px_.width), LONG(px_.height)};
        if (src) {
            // The source rectangle is in 0.01 mm: back to pixels.
            from.left = LONG(int64_t(src->left) * 96 / 2540);
            from.top = LONG(int64_t(src->top) * 96 / 2540);
            from.right = LONG(int64_t(src->right) * 96 / 2540);
            from.bottom = LONG(int64_t(src->bottom) * 96 / 2540);
            if (from.left < 0 || from.top < 0 || from.right > LONG(px_.width) || from.bottom > LONG(px_.height) ||
                from.right <= from.left || from.bottom <= from.top)
                return E_INVALIDARG;
        }
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = LONG(px_.width);
        bi.bmiHeader.biHeight = -LONG(px_.height);
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        raii::Bitmap dib(CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        raii::MemDC mem(dib ? CreateCompatibleDC(hdc) : nullptr);
        if (!mem) return E_OUTOFMEMORY;
        memcpy(bits, px_.bgra.data(), px_.bgra.size());
        raii::Select sel(mem.get(), dib.get());
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        return AlphaBlend(hdc, dst->left, dst->top, dst->right - dst->left, dst->bottom - dst->top, mem.get(),
                          from.left, from.top, from.right - from.left, from.bottom - from.top, blend)
                   ? S_OK
                   : E_FAIL;
    }
    STDMETHODIMP PushIntoSink(IImageSink*) override { return E_NOTIMPL; }
    STDMETHODIMP GetThumbnail(UINT w, UINT h, IImage** thumb) override {
        if (!thumb) return E_POINTER;
        *thumb = nullptr;
        if (w == 0 || h == 0 || w > 4096 || h > 4096) return E_INVALIDARG;
        *thumb = new (std::nothrow) Image(Scale(px_, w, h));
        return *thumb ? S_OK : E_OUTOFMEMORY;
    }

private:
    Pixels px_;
};

class Factory : public com::Static<IClassFactory, IImagingFactory> {
public:
    // The one factory object lives as long as the module; its references count
    // among the objects that keep the module loaded.
    STDMETHODIMP_(ULONG) AddRef() override { return ULONG(++g_objects); }
    STDMETHODIMP_(ULONG) Release() override { return ULONG(--g_objects); }

    // IClassFactory
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        lock ? ++g_objects : --g_objects;
        return S_OK;
    }

    // IImagingFactory
    STDMETHODIMP CreateImageFromStream(IStream* stream, IImage** image) override {
        if (!stream || !image) return E_POINTER;
        *image = nullptr;
        std::vector<uint8_t> data;
        uint8_t chunk[16384];
        for (ULONG got = 0;;) {
            HRESULT hr = stream->Read(chunk, sizeof chunk, &got);
            if (FAILED(hr)) return hr;
            if (got == 0) break;
            data.insert(data.end(), chunk, chunk + got);
            if (data.size() > (64u << 20)) return E_OUTOFMEMORY;
        }
        return CreateImageFromBuffer(data.data(), UINT(data.size()), BufferDisposalFlagNone, image);
    }
    STDMETHODIMP CreateImageFromFile(const WCHAR* name, IImage** image) override {
        if (!name || !image) return E_POINTER;
        *image = nullptr;
        raii::File f(CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!f) return HRESULT_FROM_WIN32(GetLastError());
        DWORD size = GetFileSize(f.get(), nullptr);
        if (size == INVALID_FILE_SIZE || size > (64u << 20)) return E_OUTOFMEMORY;
        std::vector<uint8_t> data(size);
        DWORD got = 0;
        if (size && (!ReadFile(f.get(), data.data(), size, &got, nullptr) || got != size)) return E_FAIL;
        return CreateImageFromBuffer(data.data(), size, BufferDisposalFlagNone, image);
    }
    // The picture is decoded at once, so the buffer is never kept: with another
    // disposal flag it is released here, as the caller asked.
    STDMETHODIMP CreateImageFromBuffer(const void* buf, UINT size, BufferDisposalFlag disposal,
                                       IImage** image) override {
        if (!image) return E_POINTER;
        *image = nullptr;
        if (!buf || size == 0) return E_INVALIDARG;
        Pixels px;
        HRESULT hr = Decode(buf, size, &px);
        if (disposal == BufferDisposalFlagGlobalFree) GlobalFree(const_cast<void*>(buf));
        if (disposal == BufferDisposalFlagCoTaskMemFree) CoTaskMemFree(const_cast<void*>(buf));
        if (disposal == BufferDisposalFlagUnmapView) UnmapViewOfFile(buf);
        if (FAILED(hr)) return hr;
        *image = new (std::nothrow) Image(std::move(px));
        return *image ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP CreateNewBitmap(UINT, UINT, PixelFormatID, IBitmapImage**) override { return E_NOTIMPL; }
    STDMETHODIMP CreateBitmapFromImage(IImage*, UINT, UINT, PixelFormatID, int, IBitmapImage**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP CreateBitmapFromBuffer(BitmapData*, IBitmapImage**) override { return E_NOTIMPL; }
    STDMETHODIMP CreateImageDecoder(IStream*, int, IImageDecoder**) override { return E_NOTIMPL; }
    STDMETHODIMP CreateImageEncoderToStream(const CLSID*, IStream*, IImageEncoder**) override { return E_NOTIMPL; }
    STDMETHODIMP CreateImageEncoderToFile(const CLSID*, const WCHAR*, IImageEncoder**) override { return E_NOTIMPL; }
    STDMETHODIMP GetInstalledDecoders(UINT*, ImageCodecInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetInstalledEncoders(UINT*, ImageCodecInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP InstallImageCodec(const ImageCodecInfo*) override { return E_NOTIMPL; }
    STDMETHODIMP UninstallImageCodec(const WCHAR*, UINT) override { return E_NOTIMPL; }
};

Factory g_factory;

}  // namespace

extern "C" {

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ImagingFactory)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

HRESULT WINAPI DllCanUnloadNow() { return g_objects.load() == 0 ? S_OK : S_FALSE; }

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = inst;
    return TRUE;
}

}  // extern "C"
