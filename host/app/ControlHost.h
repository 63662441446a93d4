// The control as the host holds it: created from its registration or straight
// from a module file, in-place active in a window of the host, and torn down
// in the reverse order. Also the sheet's tab captions, from the same module.
#pragma once

#include "framework/Handles.h"

#include <ole2.h>

#include <string>
#include <vector>

class CControlHost {
public:
    CControlHost() = default;
    ~CControlHost() { Close(); }
    CControlHost(const CControlHost&) = delete;
    CControlHost& operator=(const CControlHost&) = delete;

    // The program identifier the control is registered by.
    static constexpr char kProgID[] = "Vennox.VennoxCtrl.1";

    // `module` empty: the class registered as kProgID.
    // Otherwise the module file, unregistered: its class object straight from
    // DllGetClassObject, the class ID from its type library.
    bool Create(const std::string& module, std::string& error);
    // Sets the client site, initialises the control and activates it in place.
    bool Activate(IOleClientSite* site, HWND parent, const RECT& pos, std::string& error);

    HRESULT Properties(HWND parent);  // the properties verb; returns after the sheet
    HRESULT About();                  // AboutBox by dispatch

    // Deactivates, closes and lets go of the control, then of the module.
    void Close();

private:
    bool CreateFromModule(const std::string& path, std::string& error);

    afx::unique_hmodule m_module;
    afx::com_ptr<IOleObject> m_object;
    IOleClientSite* m_site = nullptr;  // borrowed while the control holds it
    RECT m_pos = {};
};

// Text for an HRESULT: "0x80040154 (Class not registered)".
std::string DescribeHResult(HRESULT hr);

// The tab captions of the control's sheet, page 0 first, from the string
// table of the module CControlHost::Create takes the control from (`module`,
// or the registered control's), read as data: none of its code runs. Empty
// when the module cannot be found or read.
std::vector<std::string> SheetCaptions(const std::string& module);
