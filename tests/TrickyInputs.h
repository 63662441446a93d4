// Entered texts at the edges of the value reading and the field encodings,
// with the bytes each field kind stores for them. convert_test checks them in
// the native and both Windows builds; the value text fuzz target starts from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct TrickyInput {
    std::string text;
    // Stored bytes per field kind: a pair as high byte * 256 + low byte.
    std::uint16_t whole, tenths, hundredths, thousandths;
    std::uint8_t halves;
};

// A literal with any NUL bytes inside it.
template <std::size_t N>
std::string Bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

inline const TrickyInput kTrickyInputs[] = {
    //  text                             whole   tenths  hundr.  thous.  halves
    // Out of range, not a number here, or no number at all: zero.
    {"1e400",                            0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"-1e400",                           0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"1.7976931348623157e308",           0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"1e-400",                           0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"4.9e-324",                         0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"-0",                               0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"0x10",                             0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {".",                                0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"-",                                0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"+-1",                              0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {".e1",                              0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"nan",                              0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"inf",                              0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"-infinity",                        0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    // Reading stops where the number ends.
    {"  +.5",                            0x0000, 0x0005, 0x0032, 0x01F4, 0x01},
    {"\t\n\v\f\r 7",                     0x0007, 0x0046, 0x02BC, 0x1B58, 0x0E},
    {"1.",                               0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {"1,5",                              0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {"1 000",                            0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {"1D2",                              0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {"5e",                               0x0005, 0x0032, 0x01F4, 0x1388, 0x0A},
    {"1e2",                              0x0064, 0x03E8, 0x2710, 0x86A0, 0xC8},
    {"1e00000000000000000000000001",     0x000A, 0x0064, 0x03E8, 0x2710, 0x14},
    {Bytes("1\0" "5"),                   0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {Bytes("\0" "5"),                    0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    // Bytes that a Windows code page or a UTF-8 locale may call a blank, a
    // digit or a minus sign are none of these here.
    {"\xA0" "5",                         0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"\xC2\xA0" "5",                     0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"\xE2\x88\x92" "1",                 0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"\xEF\xBC\x95",                     0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"\xB2",                             0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"5\xC2\xB0" "C",                    0x0005, 0x0032, 0x01F4, 0x1388, 0x0A},
    // Where the pairs and the byte wrap: N modulo 65536, modulo 256.
    {"32767.5",                          0x7FFF, 0xFFFB, 0xFFCE, 0xFE0C, 0xFF},
    {"-32768.5",                         0x8000, 0xFFFB, 0xFFCE, 0xFE0C, 0xFF},
    {"-32769",                           0x7FFF, 0xFFF6, 0xFF9C, 0xFC18, 0xFE},
    {"65535.5",                          0xFFFF, 0xFFFB, 0xFFCE, 0xFE0C, 0xFF},
    {"65536",                            0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"6553.6",                           0x1999, 0x0000, 0x0000, 0x0000, 0x33},
    {"127.75",                           0x007F, 0x04FD, 0x31E7, 0xF306, 0xFF},
    {"-0.5",                             0x0000, 0xFFFB, 0xFFCE, 0xFE0C, 0xFF},
    {"-0.25",                            0x0000, 0xFFFE, 0xFFE7, 0xFF06, 0x00},
    {"100.01",                           0x0064, 0x03E8, 0x2711, 0x86AA, 0xC8},
    {"-555.35",                          0xFDD5, 0xEA4F, 0x2711, 0x86AA, 0xAA},
    {"-555.4",                           0xFDD5, 0xEA4E, 0x270C, 0x8678, 0xAA},
    {"123456789012",                     0x1A14, 0x04C8, 0x2FD0, 0xDE20, 0x28},
    // Scaled values that fall short of their unit truncate to the one below.
    {"0.29",                             0x0000, 0x0002, 0x001C, 0x0122, 0x00},
    {"2.3",                              0x0002, 0x0017, 0x00E5, 0x08FC, 0x04},
    {"4.35",                             0x0004, 0x002B, 0x01B2, 0x10FE, 0x08},
    {"0.7",                              0x0000, 0x0007, 0x0046, 0x02BC, 0x01},
    {"1.001",                            0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {"0.009",                            0x0000, 0x0000, 0x0000, 0x0009, 0x00},
    {"0.9999999999999999",               0x0000, 0x0009, 0x0063, 0x03E7, 0x01},
    {"0.99999999999999999",              0x0001, 0x000A, 0x0064, 0x03E8, 0x02},  // reads as 1
    // Products at 2^63 and past it store zero; just below, the low bits.
    {"9223372036854774784",              0xFC00, 0x0000, 0x0000, 0x0000, 0x00},
    {"922337203685477580.7",             0xCD00, 0x0000, 0x0000, 0x0000, 0x00},
    // Long digit strings.
    {std::string(400, '9'),              0x0000, 0x0000, 0x0000, 0x0000, 0x00},
    {"1" + std::string(400, '0') + "e-400",
                                         0x0001, 0x000A, 0x0064, 0x03E8, 0x02},
    {"0." + std::string(400, '0') + "5e400",
                                         0x0000, 0x0005, 0x0032, 0x01F4, 0x01},
    {std::string(300, '0') + "12.5",     0x000C, 0x007D, 0x04E2, 0x30D4, 0x19},
};
