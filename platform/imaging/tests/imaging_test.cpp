// The imaging library as the system uses it: a picture from a buffer, its size, a
// thumbnail, and drawing it.
#include <gtest/gtest.h>

#include <vector>

#include "com_base.h"
#include "imaging.h"
#include "png_writer.h"
#include "raii.h"

namespace {

class ImagingTest : public ::testing::Test {
protected:
    void SetUp() override {
        lib_.reset(LoadLibraryW(IMAGING_DLL));
        ASSERT_TRUE(lib_);
        auto get = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(lib_.get(), "DllGetClassObject")));
        ASSERT_TRUE(get);
        ASSERT_EQ(S_OK, get(CLSID_ImagingFactory, IID_IImagingFactory, reinterpret_cast<void**>(factory_.out())));
    }
    void TearDown() override {
        factory_.reset();
        lib_.reset();
    }

    // A w x h PNG whose left half is red and right half blue.
    static std::vector<uint8_t> TwoColourPng(int w, int h) {
        std::vector<uint8_t> rgb(size_t(w) * h * 3);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &rgb[(size_t(y) * w + x) * 3];
                p[0] = x < w / 2 ? 255 : 0;
                p[2] = x < w / 2 ? 0 : 255;
            }
        return png::EncodeRgb(w, h, rgb.data());
    }

    const com::Init com_;  // before the library and its objects, which go first
    raii::Library lib_;
    raii::ComPtr<IImagingFactory> factory_;
};

}  // namespace

TEST_F(ImagingTest, DecodesABufferAndReportsItsSize) {
    std::vector<uint8_t> png = TwoColourPng(40, 20);
    raii::ComPtr<IImage> image;
    ASSERT_EQ(S_OK, factory_->CreateImageFromBuffer(png.data(), UINT(png.size()), BufferDisposalFlagNone, image.out()));
    ImageInfo info;
    ASSERT_EQ(S_OK, image->GetImageInfo(&info));
    EXPECT_EQ(40u, info.Width);
    EXPECT_EQ(20u, info.Height);
    SIZE mm;
    ASSERT_EQ(S_OK, image->GetPhysicalDimension(&mm));
    EXPECT_EQ(40 * 2540 / 96, mm.cx);
}

TEST_F(ImagingTest, ThumbnailsDrawOntoABitmap) {
    std::vector<uint8_t> png = TwoColourPng(64, 32);
    raii::ComPtr<IImage> image, thumb;
    ASSERT_EQ(S_OK, factory_->CreateImageFromBuffer(png.data(), UINT(png.size()), BufferDisposalFlagNone, image.out()));
    ASSERT_EQ(S_OK, image->GetThumbnail(32, 16, thumb.out()));
    ImageInfo info;
    ASSERT_EQ(S_OK, thumb->GetImageInfo(&info));
    EXPECT_EQ(32u, info.Width);
    EXPECT_EQ(16u, info.Height);

    raii::WindowDC screen(nullptr);
    raii::MemDC dc(CreateCompatibleDC(screen.get()));
    raii::Bitmap bmp(CreateCompatibleBitmap(screen.get(), 32, 32));
    raii::Select sel(dc.get(), bmp.get());
    RECT all = {0, 0, 32, 32};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT dst = {0, 8, 32, 24};
    ASSERT_EQ(S_OK, thumb->Draw(dc.get(), &dst, nullptr));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc.get(), 4, 16));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(dc.get(), 28, 16));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc.get(), 4, 2));  // outside the drawn area: untouched

    EXPECT_EQ(E_INVALIDARG, thumb->GetThumbnail(0, 10, image.out()));
    EXPECT_EQ(E_INVALIDARG, thumb->Draw(nullptr, &dst, nullptr));
    RECT outside = {0, 0, 100000, 100};
    EXPECT_EQ(E_INVALIDARG, thumb->Draw(dc.get(), &dst, &outside));
}

TEST_F(ImagingTest, BadInputFailsCleanly) {
    raii::ComPtr<IImage> image;
    const char junk[] = "this is not a picture at all";
    EXPECT_TRUE(FAILED(factory_->CreateImageFromBuffer(junk, sizeof junk, BufferDisposalFlagNone, image.out())));
    EXPECT_FALSE(image);
    std::vector<uint8_t> png = TwoColourPng(8, 8);
    png.resize(png.size() / 2);  // cut off half way
    EXPECT_TRUE(FAILED(factory_->CreateImageFromBuffer(png.data(), UINT(png.size()), BufferDisposalFlagNone,
                                                        image.out())));
    EXPECT_EQ(E_INVALIDARG, factory_->CreateImageFromBuffer(nullptr, 10, BufferDisposalFlagNone, image.out()));
    EXPECT_EQ(E_INVALIDARG, factory_->CreateImageFromBuffer(junk, 0, BufferDisposalFlagNone, image.out()));
    EXPECT_EQ(E_POINTER, factory_->CreateImageFromBuffer(junk, sizeof junk, BufferDisposalFlagNone, nullptr));
    EXPECT_EQ(E_NOTIMPL, factory_->CreateNewBitmap(1, 1, PixelFormat32bppARGB, nullptr));
}

TEST_F(ImagingTest, ClassFactoryAndRegistration) {
    raii::ComPtr<IClassFactory> cf;
    ASSERT_EQ(S_OK, factory_->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(cf.out())));
    raii::ComPtr<IUnknown> outer, inner;
    ASSERT_EQ(S_OK, factory_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(outer.out())));
    EXPECT_EQ(CLASS_E_NOAGGREGATION, cf->CreateInstance(outer.get(), IID_IUnknown, reinterpret_cast<void**>(inner.out())));
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(lib_.get(), "DllCanUnloadNow")));
    EXPECT_EQ(S_FALSE, canUnload());  // we still hold the factory
    // On the device the class is registered, as the contacts code creates it.
    raii::ComPtr<IImagingFactory> viaCom;
    EXPECT_EQ(S_OK, CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory,
                                     reinterpret_cast<void**>(viaCom.out())));
}
