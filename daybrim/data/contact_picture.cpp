#include "contact_picture.h"

#include <algorithm>

#include "com_base.h"
#include "imaging.h"
#include "raii.h"

namespace daybrim {

HBITMAP DecodeContactPicture(const std::vector<uint8_t>& bytes, int box, int* width, int* height) {
    if (bytes.empty() || box <= 0) return nullptr;
    // The calling thread may or may not have COM up; balance what this call adds.
    const com::Init com;
    HBITMAP result = nullptr;
    {
        raii::ComPtr<IImagingFactory> factory;
        raii::ComPtr<IImage> image, thumb;
        ImageInfo info;
        if (SUCCEEDED(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory,
                                       reinterpret_cast<void**>(factory.out()))) &&
            SUCCEEDED(factory->CreateImageFromBuffer(bytes.data(), UINT(bytes.size()), BufferDisposalFlagNone,
                                                     image.out())) &&
            SUCCEEDED(image->GetImageInfo(&info)) && info.Width > 0 && info.Height > 0) {
            // Fit the box, keeping the aspect ratio; never below one pixel.
            int w = box, h = box;
            if (info.Width >= info.Height)
                h = std::max(1, int(int64_t(box) * info.Height / info.Width));
            else
                w = std::max(1, int(int64_t(box) * info.Width / info.Height));
            raii::WindowDC screen(nullptr);
            raii::MemDC dc(CreateCompatibleDC(screen.get()));
            raii::Bitmap bmp(CreateCompatibleBitmap(screen.get(), w, h));
            if (dc && bmp && SUCCEEDED(image->GetThumbnail(UINT(w), UINT(h), thumb.out()))) {
                bool drawn;
                {
                    raii::Select sel(dc.get(), bmp.get());
                    RECT all = {0, 0, w, h};
                    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
                    drawn = SUCCEEDED(thumb->Draw(dc.get(), &all, nullptr));
                }
                if (drawn) {
                    *width = w;
                    *height = h;
                    result = bmp.release();
                }
            }
        }
    }
    return result;
}

}  // namespace daybrim
