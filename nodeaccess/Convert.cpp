// The node's byte encodings: exact integer forming, double-precision scaling,
// truncation toward zero.
#include "nodeaccess/Convert.h"

#include <cstdint>

namespace {

int Byte(int b) { return b & 0xFF; }

int Pair(int high, int low) { return Byte(high) * 256 + Byte(low); }

// trunc(p), or 0 where the conversion to an integer would be undefined.
std::int64_t Truncate(double p)
{
    constexpr double kLimit = 9223372036854775808.0;  // 2^63
    if (!(p > -kLimit && p < kLimit))
        return 0;
    return static_cast<std::int64_t>(p);
}

// Bits 8..15 and 0..7 of n are what reach the buffer.
int HighOf(std::int64_t n) { return static_cast<int>(static_cast<std::uint32_t>(n) >> 8); }
int LowOf(std::int64_t n) { return static_cast<int>(static_cast<std::uint32_t>(n)); }

}  // namespace

int CConvert::Word(int high, int low) const { return Pair(high, low); }

double CConvert::Tenths(int high, int low) const { return Pair(high, low) * 0.1; }

double CConvert::SignedHundredths(int high, int low) const
{
    int w = Pair(high, low);
    if (w > 10000)
        w -= 65536;
    return w * 0.01;
}

double CConvert::Halves(int byte) const { return Byte(byte) * 0.5; }

int CConvert::SignedByte(int byte) const
{
    int b = Byte(byte);
    return b > 127 ? b - 256 : b;
}

int CConvert::ToHalves(double x) const { return LowOf(Truncate(x + x)); }
int CConvert::TenthsHigh(double x) const { return HighOf(Truncate(x * 10)); }
int CConvert::TenthsLow(double x) const { return LowOf(Truncate(x * 10)); }
int CConvert::HundredthsHigh(double x) const { return HighOf(Truncate(x * 100)); }
int CConvert::HundredthsLow(double x) const { return LowOf(Truncate(x * 100)); }
int CConvert::WholeHigh(double x) const { return HighOf(Truncate(x)); }
int CConvert::WholeLow(double x) const { return LowOf(Truncate(x)); }
int CConvert::High(int v) const { return HighOf(v); }
int CConvert::Low(int v) const { return v; }
