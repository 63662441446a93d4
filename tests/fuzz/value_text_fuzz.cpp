// Fuzz target: any entered text through every field kind. Checks that the
// text reads as the C library's strtod reads it in the "C" locale (for the
// decimal forms; others read as zero), that a stored field stays inside its
// bytes and is the scaled value truncated toward zero modulo its width, that
// the display is well formed and within half its last place of the bytes, and
// what the display gives back when it is stored again.
#include "nodeaccess/ValueText.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <string_view>

namespace {

locale_t g_cLocale;

[[noreturn]] void Fail(const char* what, std::string_view text, const char* detail = "")
{
    std::fprintf(stderr, "value_text: %s %s (text of %zu bytes: \"", what, detail, text.size());
    for (unsigned char c : text.substr(0, 200))
        std::fprintf(stderr, c >= 0x20 && c < 0x7F ? "%c" : "\\x%02X", c);
    std::fprintf(stderr, "\")\n");
    std::abort();
}

void Check(bool ok, const char* what, std::string_view text, const char* detail = "")
{
    if (!ok)
        Fail(what, text, detail);
}

struct Kind {
    FieldKind kind;
    const char* name;
    long double unit;  // value of one step of the stored integer
    int width;         // bytes
    int decimals;      // shown
};

const Kind kKinds[] = {
    {FieldKind::Whole, "whole", 1.0L, 2, 0},
    {FieldKind::Tenths, "tenths", 0.1L, 2, 1},
    {FieldKind::SignedHundredths, "hundredths", 0.01L, 2, 1},
    {FieldKind::Thousandths, "thousandths", 0.001L, 2, 3},
    {FieldKind::Halves, "halves", 0.5L, 1, 1},
};

long Modulus(const Kind& k) { return k.width == 2 ? 65536 : 256; }

long Raw(const Kind& k, const unsigned char* at) { return k.width == 2 ? at[0] * 256L + at[1] : at[0]; }

void PutRaw(const Kind& k, long raw, unsigned char* at)
{
    if (k.width == 2) {
        at[0] = static_cast<unsigned char>(raw >> 8);
        at[1] = static_cast<unsigned char>(raw);
    } else {
        at[0] = static_cast<unsigned char>(raw);
    }
}

// The value the node means by a stored integer.
long double Meaning(const Kind& k, long raw)
{
    if (k.kind == FieldKind::SignedHundredths && raw > 10000)
        raw -= 65536;
    return raw * k.unit;
}

// What the scale factor of a kind turns a read value into, exactly: a double
// times 1000 at most needs 63 bits of mantissa, which long double has.
long double Scaled(const Kind& k, double x)
{
    const long scale[] = {1, 10, 100, 1000, 2};
    return static_cast<long double>(x) * scale[static_cast<int>(k.kind)];
}

bool SameModulo(long long a, long long b, long m) { return (a % m - b % m) % m == 0; }

// ParseNumber against strtod in the "C" locale.
void CheckReading(std::string_view text, double value)
{
    const std::string copy(text);  // strtod stops at the first NUL, as the number does
    char* end = nullptr;
    const double expected = strtod_l(copy.c_str(), &end, g_cLocale);
    const std::string_view taken(copy.c_str(), static_cast<std::size_t>(end - copy.c_str()));
    if (taken.find_first_not_of(" \t\n\v\f\r+-0123456789.eE") != std::string_view::npos) {
        // Hexadecimal, infinity and NaN forms: at most their leading "0" counts.
        Check(value == 0.0, "a non-decimal form read as non-zero", text);
        return;
    }
    Check(std::memcmp(&value, &expected, sizeof value) == 0 || (std::isnan(value) && std::isnan(expected)),
          "read otherwise than strtod", text);
}

// The stored integer is the read value, scaled, truncated toward zero and
// taken modulo the field's width; zero where the product in double precision
// (the exact product rounded once) is not finite or reaches 2^63. A product
// the double falls just short of (or just past) an integer may land one unit
// off; from 2^52 on, doubles are whole numbers.
void CheckStored(const Kind& k, double x, long raw, std::string_view text)
{
    const long double p = Scaled(k, x);
    const double product = static_cast<double>(p);
    if (!std::isfinite(product) || std::fabs(product) >= 0x1p63) {
        Check(raw == 0, "out of range but not stored as zero", text, k.name);
        return;
    }
    if (std::fabs(product) >= 0x1p52) {
        Check(SameModulo(static_cast<long long>(product), raw, Modulus(k)),
              "large product not stored as its low bits", text, k.name);
        return;
    }
    const long double t = std::trunc(p);
    if (SameModulo(static_cast<long long>(t), raw, Modulus(k)))
        return;
    const long double nearest = std::round(p);
    const bool atBoundary = std::fabs(nearest - p) <= std::fabs(p) * 0x1p-52L;
    Check(atBoundary && SameModulo(static_cast<long long>(nearest), raw, Modulus(k)),
          "stored value is not the truncated product", text, k.name);
}

// "-"? digits, then "." and exactly `decimals` digits when there are any.
bool WellFormed(const std::string& shown, int decimals)
{
    std::size_t i = shown.size() > 0 && shown[0] == '-' ? 1 : 0;
    const std::size_t digits = i;
    while (i < shown.size() && IsDigit(shown[i]))
        ++i;
    if (i == digits)
        return false;
    if (decimals == 0)
        return i == shown.size();
    if (i >= shown.size() || shown[i] != '.')
        return false;
    return shown.size() - i - 1 == static_cast<std::size_t>(decimals) &&
           std::all_of(shown.begin() + static_cast<long>(i) + 1, shown.end(), IsDigit);
}

long StoreRaw(const Kind& k, const std::string& text)
{
    unsigned char bytes[2] = {};
    StoreField(k.kind, text, bytes);
    return Raw(k, bytes);
}

// Showing stored bytes and storing the text again.
void CheckShown(const Kind& k, long raw, std::string_view input)
{
    unsigned char bytes[2] = {};
    PutRaw(k, raw, bytes);
    const std::string shown = ShowField(k.kind, bytes);
    Check(WellFormed(shown, k.decimals), "badly formed display", input, shown.c_str());
    const long double meant = Meaning(k, raw);
    const long double halfPlace = 0.5L * std::pow(10.0L, -k.decimals);
    Check(std::fabs(ParseNumber(shown) - meant) <= halfPlace * (1 + 0x1p-40L), "display off its bytes", input,
          shown.c_str());

    const long again = StoreRaw(k, shown);
    switch (k.kind) {
    case FieldKind::Whole:
    case FieldKind::Tenths:
    case FieldKind::Halves:
        Check(again == raw, "display does not store back to its bytes", input, shown.c_str());
        break;
    case FieldKind::Thousandths:
        // A displayed value's product may fall short of its unit: one less,
        // and no further on the next round.
        Check(again == raw || again == raw - 1, "display stores back more than a unit off", input,
              shown.c_str());
        PutRaw(k, again, bytes);
        Check(StoreRaw(k, ShowField(k.kind, bytes)) == again, "display drifts on a second round", input,
              shown.c_str());
        break;
    case FieldKind::SignedHundredths: {
        // One of the two decimals shown: the display survives a round, except
        // where it rounds past the lowest value the field holds (-555.35).
        if (ParseNumber(shown) < -555.35)
            break;
        PutRaw(k, again, bytes);
        const std::string next = ShowField(k.kind, bytes);
        Check(ParseNumber(next) == ParseNumber(shown), "display changes on storing it back", input,
              (shown + " -> " + next).c_str());
        Check(StoreRaw(k, next) == again, "display drifts on a second round", input, next.c_str());
        break;
    }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A host may have set a locale with a decimal comma; nothing here may follow it.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        std::fprintf(stderr, "value_text: no de_DE.UTF-8 locale; running in the C locale\n");
    g_cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double x = ParseNumber(text);
    CheckReading(text, x);

    for (const Kind& k : kKinds) {
        Check(FieldWidth(k.kind) == k.width, "unexpected field width", text, k.name);
        // The field between guard bytes, twice with different guards: the
        // field's bytes must not depend on them and the guards must survive.
        long raw[2];
        const unsigned char guards[2] = {0xA5, 0x5A};
        for (int g = 0; g < 2; ++g) {
            unsigned char buffer[8];
            std::memset(buffer, guards[g], sizeof buffer);
            StoreField(k.kind, text, buffer + 3);
            for (int i = 0; i < 8; ++i)
                if (i < 3 || i >= 3 + k.width)
                    Check(buffer[i] == guards[g], "stored outside the field", text, k.name);
            raw[g] = Raw(k, buffer + 3);
        }
        Check(raw[0] == raw[1], "stored bytes depend on what was there", text, k.name);
        CheckStored(k, x, raw[0], text);
        CheckShown(k, raw[0], text);
        // Any bytes at all, taken from the input.
        if (size >= static_cast<std::size_t>(k.width))
            CheckShown(k, Raw(k, data), text);
    }
    return 0;
}
