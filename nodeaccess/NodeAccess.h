// The host's node-access interfaces, offered on the control's client site.
// Method-table positions and the stdcall, 32-bit argument layout are fixed by
// the host; the placeholder entries are never called.
#pragma once

#include <unknwn.h>

// {C9C04CC1-23F0-11D3-BC97-00A0C9E5F504}
inline constexpr IID IID_IReadNode = {
    0xC9C04CC1, 0x23F0, 0x11D3, {0xBC, 0x97, 0x00, 0xA0, 0xC9, 0xE5, 0xF5, 0x04}};
// {099B79E0-BA3D-11D0-AD92-006097174407}
inline constexpr IID IID_IWriteNode = {
    0x099B79E0, 0xBA3D, 0x11D0, {0xAD, 0x92, 0x00, 0x60, 0x97, 0x17, 0x44, 0x07}};

// Every node call answers 0 for success.
constexpr long kNodeOk = 0;
// The capacities the pages read with (the lengths they write: NodeLayout.h).
constexpr long kPointCapacity = 32;
constexpr long kNodeNameCapacity = 50;

struct IReadNode : IUnknown {
    virtual long __stdcall Unused3() = 0;
    virtual long __stdcall Unused4() = 0;
    virtual long __stdcall Unused5() = 0;
    virtual long __stdcall Unused6() = 0;
    // Position 7: the data point's bytes from its first byte on.
    virtual long __stdcall ReadPoint(long point, unsigned char* buffer, long capacity) = 0;
    virtual long __stdcall Unused8() = 0;
    // Position 9: the node's name, single-byte characters, NUL-ended unless it fills the buffer.
    virtual long __stdcall GetNodeName(unsigned char* buffer, long capacity) = 0;
};

struct IWriteNode : IUnknown {
    virtual long __stdcall Unused3() = 0;
    virtual long __stdcall Unused4() = 0;
    virtual long __stdcall Unused5() = 0;
    virtual long __stdcall Unused6() = 0;
    virtual long __stdcall Unused7() = 0;
    // Position 8: the first length bytes become the data point's new content.
    virtual long __stdcall WritePoint(long point, const unsigned char* buffer, long length) = 0;
};

static_assert(sizeof(long) == 4, "node calls take and return 32-bit values");
