#include "ui/framework/png.h"

#include "platform/com_ptr.h"
#include "platform/exception.h"
#include "ui/framework/application.h"

#include <wincodec.h>

namespace skorvel {

namespace {

void Check(HRESULT hr, const wchar_t* name, const wchar_t* step) {
    if (FAILED(hr))
        throw Exception(std::wstring(L"Cannot load the picture ") + name + L" (" + step + L")");
}

} // namespace

GdiObject LoadPngResource(const wchar_t* name, int& width, int& height) {
    const std::string bytes = LoadResourceBytes(L"PNG", name);
    if (bytes.empty())
        throw Exception(std::wstring(L"The picture ") + name + L" is missing from the resources");

    ComPtr<IWICImagingFactory> factory;
    Check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IWICImagingFactory, factory.put_void()),
          name, L"imaging factory");
    ComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.put()), name, L"stream");
    Check(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                       DWORD(bytes.size())),
          name, L"stream");
    ComPtr<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                           decoder.put()),
          name, L"decoder");
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.put()), name, L"frame");
    ComPtr<IWICFormatConverter> converter;
    Check(factory->CreateFormatConverter(converter.put()), name, L"converter");
    Check(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom),
          name, L"conversion");
    UINT w = 0, h = 0;
    Check(converter->GetSize(&w, &h), name, L"size");

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = LONG(w);
    info.bmiHeader.biHeight = -LONG(h); // top-down, as WIC delivers the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap)
        throw Exception(std::wstring(L"Cannot create the bitmap of the picture ") + name);
    Check(converter->CopyPixels(nullptr, w * 4, w * h * 4, static_cast<BYTE*>(bits)), name,
          L"pixels");
    width = int(w);
    height = int(h);
    return bitmap;
}

} // namespace skorvel
