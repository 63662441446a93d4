// Replaces one imported function of a loaded module for a scope, through its
// import address table, so that a test can make a system call of the module
// fail. The original is put back when the patch goes.
#pragma once

#include <windows.h>

#include <cstring>

class ImportPatch {
public:
    // `dll` as the module's import table names it ("ADVAPI32.dll" matches
    // case-insensitively). ok() is false when the module does not import it.
    ImportPatch(HMODULE module, const char* dll, const char* function, const void* replacement)
    {
        m_slot = FindSlot(module, dll, function);
        if (m_slot)
            m_original = Swap(m_slot, reinterpret_cast<ULONG_PTR>(replacement));
    }
    ~ImportPatch()
    {
        if (m_slot)
            Swap(m_slot, m_original);
    }
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    bool ok() const { return m_slot != nullptr; }
    // The function the module imported, to call from the replacement.
    template <typename F>
    F original() const
    {
        return reinterpret_cast<F>(m_original);
    }

private:
    static ULONG_PTR Swap(ULONG_PTR* slot, ULONG_PTR value)
    {
        DWORD old = 0;
        VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
        ULONG_PTR previous = *slot;
        *slot = value;
        VirtualProtect(slot, sizeof *slot, old, &old);
        return previous;
    }

    static ULONG_PTR* FindSlot(HMODULE module, const char* dll, const char* function)
    {
        auto* base = reinterpret_cast<BYTE*>(module);
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (!dir.VirtualAddress)
            return nullptr;
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
            if (lstrcmpiA(reinterpret_cast<char*>(base + d->Name), dll) != 0 || !d->OriginalFirstThunk)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) == 0)
                    return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
            }
        }
        return nullptr;
    }

    ULONG_PTR* m_slot = nullptr;
    ULONG_PTR m_original = 0;
};
