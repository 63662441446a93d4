// Owning wrappers for Win32 handles (movable, not copyable) and COM
// references, the one way to ask for an interface, and the one way an object
// answers QueryInterface.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <cstddef>
#include <utility>

namespace afx {

// unique_handle<T, Close, Invalid>: closes its handle once, with Close.
template <typename T, auto Close, T Invalid = T()>
class unique_handle {
public:
    unique_handle() = default;
    explicit unique_handle(T h) : m_h(h) {}
    unique_handle(unique_handle&& o) noexcept : m_h(o.release()) {}
    unique_handle& operator=(unique_handle&& o) noexcept { reset(o.release()); return *this; }
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    ~unique_handle() { reset(); }

    T get() const { return m_h; }
    explicit operator bool() const { return m_h != Invalid; }
    T release() { return std::exchange(m_h, Invalid); }
    void reset(T h = Invalid)
    {
        T old = std::exchange(m_h, h);
        if (old != Invalid)
            Close(old);
    }
    // For out-parameters: closes what it held first.
    T* put() { reset(); return &m_h; }

private:
    T m_h = Invalid;
};

inline void CloseKey(HKEY k) { ::RegCloseKey(k); }
inline void CloseDC(HDC dc) { ::DeleteDC(dc); }
inline void CloseGdiObject(HGDIOBJ o) { ::DeleteObject(o); }
inline void DestroyWindowHandle(HWND w) { ::DestroyWindow(w); }
inline void CloseModule(HMODULE m) { ::FreeLibrary(m); }
inline void CloseKernelHandle(HANDLE h) { ::CloseHandle(h); }

using unique_hkey = unique_handle<HKEY, CloseKey>;
using unique_hdc = unique_handle<HDC, CloseDC>;              // from CreateCompatibleDC
using unique_hbitmap = unique_handle<HBITMAP, CloseGdiObject>;
using unique_hwnd = unique_handle<HWND, DestroyWindowHandle>;
using unique_hmodule = unique_handle<HMODULE, CloseModule>;
using unique_handle_t = unique_handle<HANDLE, CloseKernelHandle>;

// A GetWindowDC/ReleaseDC pair: the DC of the whole window, frame included
// (GetDC gives the client area).
class window_dc {
public:
    explicit window_dc(HWND w) : m_w(w), m_dc(::GetWindowDC(w)) {}
    ~window_dc() { if (m_dc) ::ReleaseDC(m_w, m_dc); }
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_w;
    HDC m_dc;
};

// Selects an object into a DC for a scope and selects the previous one back.
class select_object {
public:
    select_object(HDC dc, HGDIOBJ o) : m_dc(dc), m_old(::SelectObject(dc, o)) {}
    ~select_object() { if (m_old) ::SelectObject(m_dc, m_old); }
    select_object(const select_object&) = delete;
    select_object& operator=(const select_object&) = delete;
    explicit operator bool() const { return m_old != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

template <typename T>
class com_ptr;

// The reference QueryInterface hands out for `iid` of `p`, or null. Only S_OK
// with a pointer is a reference: whatever a failed call left in the
// out-pointer is not one, and is not released.
template <typename U, typename T>
com_ptr<U> query(T* p, REFIID iid)
{
    void* out = nullptr;
    if (!p || p->QueryInterface(iid, &out) != S_OK || !out)
        return nullptr;
    return com_ptr<U>::attach(static_cast<U*>(out));
}

// com_ptr<T>: one COM reference.
template <typename T>
class com_ptr {
public:
    com_ptr() = default;
    com_ptr(std::nullptr_t) {}
    // Takes a reference of its own on p.
    explicit com_ptr(T* p) : m_p(p) { if (m_p) m_p->AddRef(); }
    com_ptr(const com_ptr& o) : com_ptr(o.m_p) {}
    com_ptr(com_ptr&& o) noexcept : m_p(o.detach()) {}
    com_ptr& operator=(const com_ptr& o) { com_ptr(o).swap(*this); return *this; }
    com_ptr& operator=(com_ptr&& o) noexcept { com_ptr(std::move(o)).swap(*this); return *this; }
    ~com_ptr() { reset(); }

    // Adopts a reference the caller already holds.
    static com_ptr attach(T* p) { com_ptr c; c.m_p = p; return c; }
    T* detach() { return std::exchange(m_p, nullptr); }
    void reset()
    {
        // Cleared before the release: the release may re-enter.
        if (T* old = std::exchange(m_p, nullptr))
            old->Release();
    }
    void swap(com_ptr& o) noexcept { std::swap(m_p, o.m_p); }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out-parameters: releases what it held first.
    T** put() { reset(); return &m_p; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    // Fills the caller's out-parameter with a reference of its own (null
    // when empty); E_POINTER for a null out-parameter.
    HRESULT copy_to(T** out) const
    {
        if (!out)
            return E_POINTER;
        *out = m_p;
        if (m_p)
            m_p->AddRef();
        return S_OK;
    }

    template <typename U>
    com_ptr<U> query(REFIID iid) const
    {
        return afx::query<U>(m_p, iid);
    }

private:
    T* m_p = nullptr;
};

// One row of an object's interface table: the IID and the pointer to hand
// out for it; a null pointer while the object does not offer it.
template <typename Object>
struct InterfaceEntry {
    const IID* iid;
    IUnknown* (*get)(Object&);
};

// QueryInterface from a table: *out is cleared first, the first row with
// the IID decides, and the pointer handed out is AddRef'd once.
template <typename Object, std::size_t N>
HRESULT QueryInterfaceTable(const InterfaceEntry<Object> (&table)[N], Object& object, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (const InterfaceEntry<Object>& e : table) {
        if (!IsEqualIID(*e.iid, iid))
            continue;
        IUnknown* p = e.get(object);
        if (!p)
            break;
        p->AddRef();
        *out = p;
        return S_OK;
    }
    return E_NOINTERFACE;
}

}  // namespace afx
