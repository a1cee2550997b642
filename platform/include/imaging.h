// The handheld's imaging library: decoding pictures (contact photos) through
// IImagingFactory, with the CE SDK's names. Only what the system uses is declared.
#pragma once
#include <windows.h>
#include <objbase.h>

// {327ABDA8-072B-11D3-9D7B-0000F81EF32E}
static const GUID CLSID_ImagingFactory = {0x327abda8, 0x072b, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
// {327ABDA7-072B-11D3-9D7B-0000F81EF32E}
static const GUID IID_IImagingFactory = {0x327abda7, 0x072b, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
// The image interface's identifier, as this stand-in answers QueryInterface for it.
static const GUID IID_IImage = {0x327abda9, 0x072b, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

typedef INT PixelFormatID;
#define PixelFormat32bppARGB 0x0026200A

enum BufferDisposalFlag {
    BufferDisposalFlagNone = 0,
    BufferDisposalFlagGlobalFree,
    BufferDisposalFlagCoTaskMemFree,
    BufferDisposalFlagUnmapView,
};

#define SinkFlagsHasAlpha 0x00020000

struct ImageInfo {
    GUID RawDataFormat;
    PixelFormatID PixelFormat;
    UINT Width, Height;
    UINT TileWidth, TileHeight;
    double Xdpi, Ydpi;
    UINT Flags;
};

struct IImageSink;
struct IBitmapImage;
struct IImageDecoder;
struct IImageEncoder;
struct ImageCodecInfo;
struct BitmapData;

#undef INTERFACE
#define INTERFACE IImage
DECLARE_INTERFACE_(IImage, IUnknown) {
    STDMETHOD(QueryInterface)(THIS_ REFIID, void**) PURE;
    STDMETHOD_(ULONG, AddRef)(THIS) PURE;
    STDMETHOD_(ULONG, Release)(THIS) PURE;
    STDMETHOD(GetPhysicalDimension)(THIS_ SIZE * size) PURE;  // in 0.01 mm
    STDMETHOD(GetImageInfo)(THIS_ ImageInfo * info) PURE;
    STDMETHOD(SetImageFlags)(THIS_ UINT flags) PURE;
    // srcRect is in 0.01 mm of the image, as GetPhysicalDimension gives; NULL draws it all.
    STDMETHOD(Draw)(THIS_ HDC hdc, const RECT* dstRect, const RECT* srcRect) PURE;
    STDMETHOD(PushIntoSink)(THIS_ IImageSink * sink) PURE;
    STDMETHOD(GetThumbnail)(THIS_ UINT thumbWidth, UINT thumbHeight, IImage * *thumbImage) PURE;
};
#undef INTERFACE

#define INTERFACE IImagingFactory
DECLARE_INTERFACE_(IImagingFactory, IUnknown) {
    STDMETHOD(QueryInterface)(THIS_ REFIID, void**) PURE;
    STDMETHOD_(ULONG, AddRef)(THIS) PURE;
    STDMETHOD_(ULONG, Release)(THIS) PURE;
    STDMETHOD(CreateImageFromStream)(THIS_ IStream * stream, IImage * *image) PURE;
    STDMETHOD(CreateImageFromFile)(THIS_ const WCHAR* filename, IImage** image) PURE;
    STDMETHOD(CreateImageFromBuffer)(THIS_ const void* buf, UINT size, BufferDisposalFlag disposalFlag,
                                     IImage** image) PURE;
    STDMETHOD(CreateNewBitmap)(THIS_ UINT width, UINT height, PixelFormatID pixelFormat,
                               IBitmapImage** bitmap) PURE;
    STDMETHOD(CreateBitmapFromImage)(THIS_ IImage * image, UINT width, UINT height, PixelFormatID pixelFormat,
                                     int hints, IBitmapImage** bitmap) PURE;
    STDMETHOD(CreateBitmapFromBuffer)(THIS_ BitmapData * bitmapData, IBitmapImage * *bitmap) PURE;
    STDMETHOD(CreateImageDecoder)(THIS_ IStream * stream, int flags, IImageDecoder** decoder) PURE;
    STDMETHOD(CreateImageEncoderToStream)(THIS_ const CLSID* clsid, IStream* stream,
                                          IImageEncoder** encoder) PURE;
    STDMETHOD(CreateImageEncoderToFile)(THIS_ const CLSID* clsid, const WCHAR* filename,
                                        IImageEncoder** encoder) PURE;
    STDMETHOD(GetInstalledDecoders)(THIS_ UINT * count, ImageCodecInfo * *decoders) PURE;
    STDMETHOD(GetInstalledEncoders)(THIS_ UINT * count, ImageCodecInfo * *encoders) PURE;
    STDMETHOD(InstallImageCodec)(THIS_ const ImageCodecInfo* codecInfo) PURE;
    STDMETHOD(UninstallImageCodec)(THIS_ const WCHAR* codecName, UINT flags) PURE;
};
#undef INTERFACE

// __uuidof for each interface, as the SDK's uuid attributes give it.
#if defined(__cplusplus) && defined(__CRT_UUID_DECL)
__CRT_UUID_DECL(IImagingFactory, 0x327abda7, 0x072b, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e)
__CRT_UUID_DECL(IImage, 0x327abda9, 0x072b, 0x11d3, 0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e)
#endif
