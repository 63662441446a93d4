// Entered texts at the edges of the entry rules and the field encodings,
// with what each field kind stores for them. convert_test checks them in the
// native and both Windows builds; the value text fuzz target starts from them.
#pragma once

#include <cstddef>
#include <string>

// A field kind that refuses the entry.
constexpr int kRefused = -1;

struct TrickyInput {
    std::string text;
    // Stored per field kind: a pair as high byte * 256 + low byte, or kRefused.
    int whole, tenths, hundredths, thousandths, halves;
};

// A literal with any NUL bytes inside it.
template <std::size_t N>
std::string Bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

inline const TrickyInput kTrickyInputs[] = {
    //  text                              whole     tenths    hundr.    thous.    halves
    // Not one decimal number, blanks before and after aside: refused.
    {"",                                kRefused, kRefused, kRefused, kRefused, kRefused},
    {"abc",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"2l.5",                            kRefused, kRefused, kRefused, kRefused, kRefused},
    {"21,5",                            kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1,5",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1 000",                           kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1D2",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"5e",                              kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1e+",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"e5",                              kRefused, kRefused, kRefused, kRefused, kRefused},
    {"+",                               kRefused, kRefused, kRefused, kRefused, kRefused},
    {".",                               kRefused, kRefused, kRefused, kRefused, kRefused},
    {"-",                               kRefused, kRefused, kRefused, kRefused, kRefused},
    {"+-1",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {".e1",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1.2.3",                           kRefused, kRefused, kRefused, kRefused, kRefused},
    {"0x10",                            kRefused, kRefused, kRefused, kRefused, kRefused},
    {"nan",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"inf",                             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"-infinity",                       kRefused, kRefused, kRefused, kRefused, kRefused},
    {Bytes("1\0" "5"),                  kRefused, kRefused, kRefused, kRefused, kRefused},
    {Bytes("\0" "5"),                   kRefused, kRefused, kRefused, kRefused, kRefused},
    // Bytes that a Windows code page or a UTF-8 locale may call a blank, a
    // digit or a minus sign are none of these here.
    {"\xA0" "5",                        kRefused, kRefused, kRefused, kRefused, kRefused},
    {"\xC2\xA0" "5",                    kRefused, kRefused, kRefused, kRefused, kRefused},
    {"\xE2\x88\x92" "1",                kRefused, kRefused, kRefused, kRefused, kRefused},
    {"\xEF\xBC\x95",                    kRefused, kRefused, kRefused, kRefused, kRefused},
    {"\xB2",                            kRefused, kRefused, kRefused, kRefused, kRefused},
    {"5\xC2\xB0" "C",                   kRefused, kRefused, kRefused, kRefused, kRefused},
    // Decimal forms the fields take: blanks around, a sign, no digit before or
    // after the point, an exponent.
    {"  +.5",                           0x0000,   0x0005,   0x0032,   0x01F4,   0x01},
    {"\t\n\v\f\r 7",                    0x0007,   0x0046,   0x02BC,   0x1B58,   0x0E},
    {" 21.5\t",                         0x0015,   0x00D7,   0x0866,   0x53FC,   0x2B},
    {"1.",                              0x0001,   0x000A,   0x0064,   0x03E8,   0x02},
    {"1e2",                             0x0064,   0x03E8,   0x2710,   kRefused, 0xC8},
    {"1e00000000000000000000000001",    0x000A,   0x0064,   0x03E8,   0x2710,   0x14},
    {"1.005e1",                         0x000A,   0x0064,   0x03ED,   0x2742,   0x14},
    {"99.999e0",                        0x0063,   0x03E7,   0x270F,   kRefused, 0xC7},
    // Scaled exactly, then truncated toward zero: no unit lost to binary
    // fractions, none gained by rounding.
    {"0.29",                            0x0000,   0x0002,   0x001D,   0x0122,   0x00},
    {"2.3",                             0x0002,   0x0017,   0x00E6,   0x08FC,   0x04},
    {"4.35",                            0x0004,   0x002B,   0x01B3,   0x10FE,   0x08},
    {"0.7",                             0x0000,   0x0007,   0x0046,   0x02BC,   0x01},
    {"1.001",                           0x0001,   0x000A,   0x0064,   0x03E9,   0x02},
    {"0.009",                           0x0000,   0x0000,   0x0000,   0x0009,   0x00},
    {"0.9999999999999999",              0x0000,   0x0009,   0x0063,   0x03E7,   0x01},
    {"0.99999999999999999",             0x0000,   0x0009,   0x0063,   0x03E7,   0x01},
    {"-0",                              0x0000,   0x0000,   0x0000,   0x0000,   0x00},
    {"-0.001",                          0x0000,   0x0000,   0x0000,   kRefused, 0x00},
    {"-0.25",                           0x0000,   kRefused, 0xFFE7,   kRefused, 0x00},
    {"-0.5",                            0x0000,   kRefused, 0xFFCE,   kRefused, kRefused},
    {"1e-400",                          0x0000,   0x0000,   0x0000,   0x0000,   0x00},
    {"4.9e-324",                        0x0000,   0x0000,   0x0000,   0x0000,   0x00},
    // At and past the ends of what each field carries.
    {"127.75",                          0x007F,   0x04FD,   kRefused, kRefused, 0xFF},
    {"100.01",                          0x0064,   0x03E8,   kRefused, kRefused, 0xC8},
    {"-555.35",                         kRefused, kRefused, 0x2711,   kRefused, kRefused},
    {"-555.4",                          kRefused, kRefused, kRefused, kRefused, kRefused},
    {"6553.6",                          0x1999,   kRefused, kRefused, kRefused, kRefused},
    {"32767.5",                         0x7FFF,   kRefused, kRefused, kRefused, kRefused},
    {"-32768.5",                        kRefused, kRefused, kRefused, kRefused, kRefused},
    {"-32769",                          kRefused, kRefused, kRefused, kRefused, kRefused},
    {"65535.5",                         0xFFFF,   kRefused, kRefused, kRefused, kRefused},
    {"65536",                           kRefused, kRefused, kRefused, kRefused, kRefused},
    {"123456789012",                    kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1e400",                           kRefused, kRefused, kRefused, kRefused, kRefused},
    {"-1e400",                          kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1.7976931348623157e308",          kRefused, kRefused, kRefused, kRefused, kRefused},
    {"9223372036854774784",             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"922337203685477580.7",            kRefused, kRefused, kRefused, kRefused, kRefused},
    // Long digit strings.
    {std::string(400, '9'),             kRefused, kRefused, kRefused, kRefused, kRefused},
    {"1" + std::string(400, '0') + "e-400", 0x0001,   0x000A,   0x0064,   0x03E8,   0x02},
    {"0." + std::string(400, '0') + "5e400", 0x0000,   0x0005,   0x0032,   0x01F4,   0x01},
    {std::string(300, '0') + "12.5",    0x000C,   0x007D,   0x04E2,   0x30D4,   0x19},
};
