// What a window shows, captured from its own device context and saved as a PNG file.
#include "host/app/WindowPicture.h"

#include "framework/Handles.h"
#include "host/app/ControlHost.h"
#include "host/app/HostText.h"

#include <wincodec.h>

namespace {

afx::unique_hbitmap CopyWindow(HWND window, std::string& error)
{
    // Every paint the window and its children have pending, done now.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ERASENOW | RDW_ALLCHILDREN);
    GdiFlush();
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    afx::window_dc source(window);
    afx::unique_hdc memory(CreateCompatibleDC(source.get()));
    afx::unique_hbitmap bitmap(CreateCompatibleBitmap(source.get(), width, height));
    if (!source.get() || !memory || !bitmap || width <= 0 || height <= 0) {
        error = "no bitmap for the window";
        return {};
    }
    afx::select_object selected(memory.get(), bitmap.get());
    // From the window's own surface, which holds what was just painted. The
    // screen lags behind it: under Wine the display gets the surface when the
    // thread next waits for messages, and pictures taken from the screen
    // showed the sheet's buttons as they were mid-repaint, without text.
    // PrintWindow under Wine gives the background only.
    if (!BitBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, SRCCOPY)) {
        error = "cannot copy the window";
        return {};
    }
    return bitmap;
}

HRESULT Encode(HBITMAP bitmap, const std::wstring& path)
{
    afx::com_ptr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, factory.put_void());
    afx::com_ptr<IWICBitmap> source;
    if (SUCCEEDED(hr))
        hr = factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, source.put());
    afx::com_ptr<IWICStream> stream;
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(stream.put());
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    afx::com_ptr<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    afx::com_ptr<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(frame.put(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->WriteSource(source.get(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::string& path, std::string& error)
{
    afx::unique_hbitmap bitmap = CopyWindow(window, error);
    if (!bitmap)
        return false;
    const std::wstring wide = Widen(path);
    const HRESULT hr = Encode(bitmap.get(), wide);
    if (SUCCEEDED(hr))
        return true;
    DeleteFileW(wide.c_str());
    error = path + ": " + DescribeHResult(hr);
    return false;
}
