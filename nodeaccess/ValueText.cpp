// Locale-independent display of node values and exact reading of entries.
#include "nodeaccess/ValueText.h"

#include "nodeaccess/Convert.h"
#include "nodeaccess/NodeLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// `magnitude` units of 10^-decimals as text, "-" first when negative:
// 55535 with 2 decimals is "555.35".
std::string DecimalText(bool negative, std::uint64_t magnitude, int decimals)
{
    std::string digits = std::to_string(magnitude);
    if (decimals > 0) {
        if (digits.size() <= static_cast<size_t>(decimals))
            digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
        digits.insert(digits.size() - static_cast<size_t>(decimals), 1, '.');
    }
    return negative ? "-" + digits : digits;
}

}  // namespace

// The double's exact binary value, scaled by 10^decimals and rounded to an
// integer, ties to even, as printf rounds; its digits then take the point.
std::string FormatFixed(double value, int decimals)
{
    constexpr std::uint64_t kPowers[] = {1, 10, 100, 1000};
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = bits >> 63;
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;  // subnormal
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    // value = mantissa x 2^exponent exactly; below 2^53 times 10^3 fits.
    const std::uint64_t scaled = mantissa * kPowers[decimals];
    std::uint64_t n = 0;
    if (exponent >= 0) {
        n = scaled << exponent;
    } else if (exponent > -64) {
        const int shift = -exponent;
        n = scaled >> shift;
        const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1), half = std::uint64_t{1} << (shift - 1);
        if (rest > half || (rest == half && (n & 1)))
            ++n;
    }
    return DecimalText(negative, n, decimals);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ParseWholeNumber(std::string_view text, unsigned long low, unsigned long high, unsigned long& out)
{
    if (text.empty())
        return false;
    // Wide enough for ten times any unsigned long and a digit more.
    unsigned long long n = 0;
    for (char c : text) {
        if (!IsDigit(c) || n > high)
            return false;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    if (n < low || n > high)
        return false;
    out = static_cast<unsigned long>(n);
    return true;
}

namespace {

// ---- Entries as exact decimals ---------------------------------------------------

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view Trimmed(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// A decimal number: digits x 10^exponent, with its sign.
struct Decimal {
    bool negative = false;
    std::string digits;  // significant: no leading zero; empty for zero
    long long exponent = 0;
};

// Exponents beyond this are as good as infinite for every field.
constexpr long long kExponentBound = 1000000000;

// [+-] digits [. [digits]] | [+-] . digits, then [(e|E) [+-] digits]; the
// whole of `s`.
bool ParseDecimal(std::string_view s, Decimal& d)
{
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        d.negative = s[i++] == '-';
    bool point = false;
    long long mantissaDigits = 0, fractionDigits = 0;
    for (; i < s.size(); ++i) {
        if (s[i] == '.' && !point) {
            point = true;
            continue;
        }
        if (!IsDigit(s[i]))
            break;
        ++mantissaDigits;
        fractionDigits += point;
        if (s[i] != '0' || !d.digits.empty())
            d.digits += s[i];
    }
    if (mantissaDigits == 0)
        return false;
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        bool negative = false;
        if (++i < s.size() && (s[i] == '+' || s[i] == '-'))
            negative = s[i++] == '-';
        const size_t first = i;
        for (; i < s.size() && IsDigit(s[i]); ++i)
            exponent = std::min(exponent * 10 + (s[i] - '0'), kExponentBound);
        if (i == first)
            return false;
        if (negative)
            exponent = -exponent;
    }
    d.exponent = exponent - fractionDigits;
    return i == s.size();
}

// trunc(factor x digits x 10^shift) when it is at most `limit`: the digits
// before the point times the factor, and for a factor of 2 one more unit
// when the fraction is a half or more.
bool Truncated(const Decimal& d, int shift, int factor, long limit, long& out)
{
    const long long length = static_cast<long long>(d.digits.size());
    const long long wholeDigits = length + d.exponent + shift;  // of the value times 10^shift
    if (d.digits.empty() || wholeDigits < 0) {  // below a tenth of the unit
        out = 0;
        return true;
    }
    if (wholeDigits > 7)  // ten million exceeds every field
        return false;
    long long whole = 0;
    for (long long i = 0; i < wholeDigits; ++i)
        whole = whole * 10 + (i < length ? d.digits[static_cast<size_t>(i)] - '0' : 0);
    long long n = whole * factor;
    if (factor == 2 && wholeDigits < length && d.digits[static_cast<size_t>(wholeDigits)] >= '5')
        ++n;
    if (n > limit)
        return false;
    out = static_cast<long>(n);
    return true;
}

// ---- Field kinds ---------------------------------------------------------------

// One row per FieldKind, in its order; the scaling columns are for the entry
// kinds only.
struct FieldRule {
    int width;
    int decimals;    // shown
    int resolution;  // decimals of the unit
    int shift;       // an entry is scaled by factor x 10^shift ...
    int factor;
    long low, high;  // ... into this range, as the bytes read back
    double (*decode)(const CConvert&, const unsigned char* at);
};

constexpr FieldRule kChoiceRule = {1, 0, 0, 0, 1, 0, 255, nullptr};

constexpr FieldRule kFieldRules[] = {
    {2, 0, 0, 0, 1, 0, 65535,  // Whole
     [](const CConvert& c, const unsigned char* at) -> double { return c.Word(at[0], at[1]); }},
    {2, 1, 1, 1, 1, 0, 65535,  // Tenths
     [](const CConvert& c, const unsigned char* at) { return c.Tenths(at[0], at[1]); }},
    {2, 1, 2, 2, 1, -55535, 10000,  // SignedHundredths: two decimals held, one shown
     [](const CConvert& c, const unsigned char* at) { return c.SignedHundredths(at[0], at[1]); }},
    {2, 3, 3, 3, 1, 0, 65535,  // Thousandths
     [](const CConvert& c, const unsigned char* at) { return c.Word(at[0], at[1]) * 0.001; }},
    {1, 1, 1, 0, 2, 0, 255,  // Halves
     [](const CConvert& c, const unsigned char* at) { return c.Halves(at[0]); }},
    {2, 0, 0, 0, 1, 0, 65535, nullptr},  // OccupancyState: a word, shown as its name
    kChoiceRule,                         // OverrideMode
    kChoiceRule,                         // InputMode
    kChoiceRule,                         // OccupancyChoice
    kChoiceRule,                         // ValveType
    kChoiceRule,                         // ValveMotion
};
static_assert(std::size(kFieldRules) == static_cast<size_t>(FieldKind::kCount), "a rule per field kind");

const FieldRule& RuleOf(FieldKind kind) { return kFieldRules[static_cast<int>(kind)]; }

// The states the node documents; any other shows "Unknown", so that an
// earlier state does not stay shown.
constexpr struct {
    int state;
    const char* text;
} kOccupancyTexts[] = {{node::kOccupied, "Occupied"}, {node::kUnoccupied, "Unoccupied"}, {node::kStandby, "Standby"}};

const char* OccupancyText(int state)
{
    for (const auto& t : kOccupancyTexts)
        if (t.state == state)
            return t.text;
    return "Unknown";
}

}  // namespace

int FieldWidth(FieldKind kind) { return RuleOf(kind).width; }

std::string ShowField(FieldKind kind, const unsigned char* at)
{
    CConvert convert;
    if (kind == FieldKind::OccupancyState)
        return OccupancyText(convert.Word(at[0], at[1]));
    const FieldRule& rule = RuleOf(kind);
    return FormatFixed(rule.decode(convert, at), rule.decimals);
}

EntryCheck ScaleEntry(FieldKind kind, std::string_view text, long& scaled)
{
    Decimal d;
    if (!ParseDecimal(Trimmed(text), d))
        return EntryCheck::kNotANumber;
    const FieldRule& rule = RuleOf(kind);
    const long limit = d.negative ? -rule.low : rule.high;
    long magnitude = 0;
    if (!Truncated(d, rule.shift, rule.factor, limit, magnitude))
        return EntryCheck::kOutOfRange;
    scaled = d.negative ? -magnitude : magnitude;
    return EntryCheck::kAccepted;
}

std::string AcceptedRange(FieldKind kind)
{
    const FieldRule& rule = RuleOf(kind);
    const long step = rule.factor == 2 ? 5 : 1;  // halves: a unit is 0.5
    return "from " + DecimalText(rule.low < 0, static_cast<std::uint64_t>(std::labs(rule.low * step)), rule.resolution) + " to " +
           DecimalText(false, static_cast<std::uint64_t>(rule.high * step), rule.resolution);
}

void PutField(FieldKind kind, long scaled, unsigned char* at)
{
    CConvert convert;
    const int n = static_cast<int>(scaled);
    if (RuleOf(kind).width == 1) {
        at[0] = static_cast<unsigned char>(convert.Low(n));
        return;
    }
    at[0] = static_cast<unsigned char>(convert.High(n));
    at[1] = static_cast<unsigned char>(convert.Low(n));
}
