// Fuzz target: any entered text through every field kind. Checks that an
// entry is accepted exactly when it is one decimal number (by a matcher of
// its own), that the scaled value is the exact decimal's, truncated toward
// zero (by integer arithmetic of its own), that accepted values lie in the
// field's range and are stored inside the field's bytes only, and that every
// value a field shows is taken back as an entry.
#include "nodeaccess/ValueText.h"

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

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
    int shift;   // the entry is scaled by factor x 10^shift
    int factor;
    long low, high;
    int width;
};

const Kind kKinds[] = {
    {FieldKind::Whole, "whole", 0, 1, 0, 65535, 2},
    {FieldKind::Tenths, "tenths", 1, 1, 0, 65535, 2},
    {FieldKind::SignedHundredths, "hundredths", 2, 1, -55535, 10000, 2},
    {FieldKind::Thousandths, "thousandths", 3, 1, 0, 65535, 2},
    {FieldKind::Halves, "halves", 0, 2, 0, 255, 1},
};

// ---- The grammar, as a state machine ----------------------------------------------

enum State { kStart, kSign, kInt, kPoint, kLonePoint, kFraction, kE, kESign, kExp, kBad };
enum Class { kDigit, kDot, kPlusMinus, kExpMark, kOther };

Class ClassOf(char c)
{
    if (c >= '0' && c <= '9')
        return kDigit;
    if (c == '.')
        return kDot;
    if (c == '+' || c == '-')
        return kPlusMinus;
    if (c == 'e' || c == 'E')
        return kExpMark;
    return kOther;
}

// kNext[state][class]
constexpr State kNext[][5] = {
    /* kStart     */ {kInt, kLonePoint, kSign, kBad, kBad},
    /* kSign      */ {kInt, kLonePoint, kBad, kBad, kBad},
    /* kInt       */ {kInt, kPoint, kBad, kE, kBad},
    /* kPoint     */ {kFraction, kBad, kBad, kE, kBad},
    /* kLonePoint */ {kFraction, kBad, kBad, kBad, kBad},
    /* kFraction  */ {kFraction, kBad, kBad, kE, kBad},
    /* kE         */ {kExp, kBad, kESign, kBad, kBad},
    /* kESign     */ {kExp, kBad, kBad, kBad, kBad},
    /* kExp       */ {kExp, kBad, kBad, kBad, kBad},
};

bool IsBlank(char c) { return std::strchr(" \t\n\v\f\r", c) && c != '\0'; }

bool IsDecimal(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    State state = kStart;
    for (char c : s) {
        state = kNext[state][ClassOf(c)];
        if (state == kBad)
            return false;
    }
    return state == kInt || state == kPoint || state == kFraction || state == kExp;
}

// ---- Exact arithmetic --------------------------------------------------------------

using Wide = __int128;

// The scaled, truncated value of a decimal `s` with at most 30 significant
// digits and a small exponent, or false when the number lies outside that.
bool Exact(std::string_view s, const Kind& k, bool& negative, Wide& magnitude)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    negative = !s.empty() && s.front() == '-';
    Wide m = 0;
    int significant = 0, fraction = 0;
    bool point = false;
    size_t i = s.empty() || (s[0] != '+' && s[0] != '-') ? 0 : 1;
    for (; i < s.size() && (ClassOf(s[i]) == kDigit || s[i] == '.'); ++i) {
        if (s[i] == '.') {
            point = true;
            continue;
        }
        fraction += point;
        if (m == 0 && s[i] == '0')
            continue;
        if (++significant > 30)
            return false;
        m = m * 10 + (s[i] - '0');
    }
    long exponent = 0;
    if (i < s.size() && ClassOf(s[i]) == kExpMark) {
        const long e = std::strtol(std::string(s.substr(i + 1)).c_str(), nullptr, 10);
        if (e > 1000 || e < -1000)
            return false;
        exponent = e;
    }
    long shift = exponent - fraction + k.shift;
    m *= k.factor;
    if (m == 0) {
        magnitude = 0;
        return true;
    }
    for (; shift > 0; --shift) {
        m *= 10;
        if (m > 100000000)
            break;  // past every field, and no overflow of the 30 digits
    }
    for (; shift < 0 && m > 0; ++shift)
        m /= 10;  // truncates toward zero, a digit at a time
    magnitude = m;
    return true;
}

void CheckEntry(const Kind& k, std::string_view text)
{
    long scaled = 0;
    const EntryCheck check = ScaleEntry(k.kind, text, scaled);
    Check((check != EntryCheck::kNotANumber) == IsDecimal(text), "accepted otherwise than the grammar", text, k.name);
    if (check == EntryCheck::kAccepted)
        Check(scaled >= k.low && scaled <= k.high, "accepted out of range", text, k.name);
    bool negative = false;
    Wide magnitude = 0;
    if (check == EntryCheck::kNotANumber || !Exact(text, k, negative, magnitude))
        return;
    const Wide value = negative ? -magnitude : magnitude;
    const bool inRange = value >= k.low && value <= k.high;
    Check((check == EntryCheck::kAccepted) == inRange, "range decided otherwise than exactly", text, k.name);
    if (inRange)
        Check(scaled == static_cast<long>(value), "scaled otherwise than exactly", text, k.name);

    // Stored between guard bytes, twice with different guards.
    if (check != EntryCheck::kAccepted)
        return;
    for (unsigned char guard : {0xA5, 0x5A}) {
        unsigned char buffer[8];
        std::memset(buffer, guard, sizeof buffer);
        PutField(k.kind, scaled, buffer + 3);
        for (int i = 0; i < 8; ++i)
            if (i < 3 || i >= 3 + k.width)
                Check(buffer[i] == guard, "stored outside the field", text, k.name);
        const long raw = k.width == 2 ? buffer[3] * 256L + buffer[4] : buffer[3];
        const long modulus = k.width == 2 ? 65536 : 256;
        Check(raw == ((scaled % modulus) + modulus) % modulus, "stored other bytes than the value's", text, k.name);
    }
}

// A value the field shows is taken back within what the display rounds away.
void CheckShown(const Kind& k, const unsigned char* bytes, std::string_view input)
{
    const std::string shown = ShowField(k.kind, bytes);
    long raw = k.width == 2 ? bytes[0] * 256L + bytes[1] : bytes[0];
    if (k.kind == FieldKind::SignedHundredths && raw > 10000)
        raw -= 65536;
    long scaled = 0;
    const EntryCheck check = ScaleEntry(k.kind, shown, scaled);
    if (k.kind == FieldKind::SignedHundredths && raw == -55535) {
        Check(check == EntryCheck::kOutOfRange, "-555.4 accepted", input, shown.c_str());
        return;
    }
    Check(check == EntryCheck::kAccepted, "a shown value refused", input, shown.c_str());
    const long off = k.kind == FieldKind::SignedHundredths ? 5 : 0;
    Check(scaled - raw <= off && raw - scaled <= off, "a shown value taken back off its bytes", input, shown.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // A host may have set a locale with a decimal comma; nothing here may follow it.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        std::fprintf(stderr, "value_text: no de_DE.UTF-8 locale; running in the C locale\n");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const Kind& k : kKinds) {
        Check(FieldWidth(k.kind) == k.width, "unexpected field width", text, k.name);
        CheckEntry(k, text);
        // Any bytes at all, taken from the input.
        if (size >= static_cast<std::size_t>(k.width))
            CheckShown(k, data, text);
    }
    return 0;
}
