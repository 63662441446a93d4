// A picture the host saved, read back: its pixels through WIC, for comparing
// pictures or parts of them.
#pragma once

#include "framework/Handles.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <filesystem>
#include <vector>

// A saved picture's pixels, 24 bits each, rows top down.
struct Picture {
    UINT width = 0, height = 0;
    std::vector<BYTE> pixels;

    bool operator==(const Picture& o) const { return width == o.width && height == o.height && pixels == o.pixels; }
    // Its last `rows` rows.
    Picture Bottom(UINT rows) const
    {
        Picture band{width, rows < height ? rows : height, {}};
        band.pixels.assign(pixels.end() - size_t(band.height) * width * 3, pixels.end());
        return band;
    }
};

inline Picture LoadPicture(const std::filesystem::path& file)
{
    Picture p;
    afx::com_ptr<IWICImagingFactory> factory;
    afx::com_ptr<IWICBitmapDecoder> decoder;
    afx::com_ptr<IWICBitmapFrameDecode> frame;
    afx::com_ptr<IWICFormatConverter> converter;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromFilename(file.wstring().c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put());
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, frame.put());
    if (SUCCEEDED(hr))
        hr = factory->CreateFormatConverter(converter.put());
    if (SUCCEEDED(hr))
        hr = converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom);
    if (SUCCEEDED(hr))
        hr = converter->GetSize(&p.width, &p.height);
    if (SUCCEEDED(hr)) {
        p.pixels.resize(size_t(p.width) * p.height * 3);
        hr = converter->CopyPixels(nullptr, p.width * 3, static_cast<UINT>(p.pixels.size()), p.pixels.data());
    }
    EXPECT_EQ(hr, S_OK) << "cannot read " << file.string();
    return p;
}
