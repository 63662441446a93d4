// Locale-independent display and parsing of node values.
#include "nodeaccess/ValueText.h"

#include "nodeaccess/Convert.h"

#include <charconv>
#include <limits>

std::string FormatFixed(double value, int decimals)
{
    // to_chars is exact and locale-free on every target; ties round to even
    // on the double's exact binary value, as glibc's printf does.
    char text[400];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return "0";
    return std::string(text, result.ptr);
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

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

size_t SkipDigits(std::string_view s, size_t i)
{
    while (i < s.size() && IsDigit(s[i]))
        ++i;
    return i;
}

// Length of the longest prefix of `s` of the form digits [. digits] [e [sign] digits],
// with at least one mantissa digit; 0 when there is none.
size_t NumberLength(std::string_view s)
{
    size_t whole = SkipDigits(s, 0);
    size_t end = whole;
    if (end < s.size() && s[end] == '.')
        end = SkipDigits(s, end + 1);
    if (whole == 0 && end <= 1)
        return 0;
    if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
        size_t exp = end + 1;
        if (exp < s.size() && (s[exp] == '+' || s[exp] == '-'))
            ++exp;
        size_t expEnd = SkipDigits(s, exp);
        if (expEnd > exp)
            end = expEnd;
    }
    return end;
}

// Power of ten of the leading significant digit of a number (saturated);
// decides whether a conversion out of range overflowed or underflowed.
long long Magnitude(std::string_view number)
{
    size_t e = number.find_first_of("eE");
    std::string_view mantissa = number.substr(0, e);
    // The mantissa moves the leading digit by fewer places than it has
    // characters, so an exponent past that bound decides on its own.
    const long long bound = static_cast<long long>(mantissa.size()) + 1000;
    long long exponent = 0;
    if (e != std::string_view::npos) {
        size_t i = e + 1;
        bool negative = number[i] == '-';
        if (number[i] == '+' || number[i] == '-')
            ++i;
        for (; i < number.size() && exponent < bound; ++i)
            exponent = exponent * 10 + (number[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    size_t point = mantissa.find('.');
    if (point == std::string_view::npos)
        point = mantissa.size();
    size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return 0;
    long long lead = first < point ? static_cast<long long>(point - first) - 1
                                   : -static_cast<long long>(first - point);
    return lead + exponent;
}

}  // namespace

double ParseNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string_view rest = text.substr(i);
    std::string_view number = rest.substr(0, NumberLength(rest));
    if (number.empty())
        return 0.0;

    double value = 0.0;
    auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                  std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = Magnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    else if (result.ec != std::errc())
        value = 0.0;
    return negative ? -value : value;
}

namespace {

// One row per FieldKind, in its order.
struct FieldRule {
    int width;
    int decimals;
    double (*decode)(const CConvert&, const unsigned char* at);
    void (*encode)(const CConvert&, double x, unsigned char* at);
};

void Put(unsigned char* at, int high, int low)
{
    at[0] = static_cast<unsigned char>(high);
    at[1] = static_cast<unsigned char>(low);
}

constexpr FieldRule kFieldRules[] = {
    {2, 0,  // Whole
     [](const CConvert& c, const unsigned char* at) -> double { return c.Word(at[0], at[1]); },
     [](const CConvert& c, double x, unsigned char* at) { Put(at, c.WholeHigh(x), c.WholeLow(x)); }},
    {2, 1,  // Tenths
     [](const CConvert& c, const unsigned char* at) { return c.Tenths(at[0], at[1]); },
     [](const CConvert& c, double x, unsigned char* at) { Put(at, c.TenthsHigh(x), c.TenthsLow(x)); }},
    {2, 1,  // SignedHundredths: two decimals held, one shown
     [](const CConvert& c, const unsigned char* at) { return c.SignedHundredths(at[0], at[1]); },
     [](const CConvert& c, double x, unsigned char* at) {
         Put(at, c.HundredthsHigh(x), c.HundredthsLow(x));
     }},
    {2, 3,  // Thousandths
     [](const CConvert& c, const unsigned char* at) { return c.Word(at[0], at[1]) * 0.001; },
     [](const CConvert& c, double x, unsigned char* at) {
         double scaled = x * 1000.0;
         Put(at, c.WholeHigh(scaled), c.WholeLow(scaled));
     }},
    {1, 1,  // Halves
     [](const CConvert& c, const unsigned char* at) { return c.Halves(at[0]); },
     [](const CConvert& c, double x, unsigned char* at) {
         at[0] = static_cast<unsigned char>(c.ToHalves(x));
     }},
};

const FieldRule& RuleOf(FieldKind kind) { return kFieldRules[static_cast<int>(kind)]; }

}  // namespace

int FieldWidth(FieldKind kind) { return RuleOf(kind).width; }

std::string ShowField(FieldKind kind, const unsigned char* at)
{
    CConvert convert;
    const FieldRule& rule = RuleOf(kind);
    return FormatFixed(rule.decode(convert, at), rule.decimals);
}

void StoreField(FieldKind kind, std::string_view text, unsigned char* at)
{
    CConvert convert;
    RuleOf(kind).encode(convert, ParseNumber(text), at);
}
