// The node's value encodings, their display and the reading of entered text.
// Runs in the native and both Windows builds, with a German locale set.
#include "nodeaccess/Convert.h"
#include "nodeaccess/ValueText.h"
#include "tests/TrickyInputs.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(Locale, GermanDecimalCommaIsActive)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
}

TEST(Decode, WorkedExamples)
{
    CConvert c;
    EXPECT_EQ(c.Word(0xFF, 0xFF), 65535);
    EXPECT_EQ(c.Word(0x1FF, -1), 65535) << "only the low 8 bits of each byte count";
    EXPECT_EQ(c.Tenths(0x00, 0xD9), 21.700000000000003);
    EXPECT_EQ(c.SignedHundredths(0x27, 0x10), 100.0) << "10000 is not negative";
    EXPECT_EQ(c.SignedHundredths(0x27, 0x11), -55535 * 0.01);
    EXPECT_EQ(c.SignedHundredths(0xFF, 0xFF), -0.01);
    EXPECT_EQ(c.Halves(0xFF), 127.5) << "halves are unsigned";
    EXPECT_EQ(c.Halves(0x80), 64.0);
    EXPECT_EQ(c.SignedByte(0xFF), -1);
    EXPECT_EQ(c.SignedByte(0x80), -128);
    EXPECT_EQ(c.SignedByte(0x7F), 127);
}

TEST(Encode, PairsAreNModulo65536)
{
    CConvert c;
    EXPECT_EQ(c.TenthsHigh(21.7) & 0xFF, 0x00);
    EXPECT_EQ(c.TenthsLow(21.7) & 0xFF, 0xD9);
    EXPECT_EQ(c.HundredthsHigh(-1.5) & 0xFF, 0xFF);
    EXPECT_EQ(c.HundredthsLow(-1.5) & 0xFF, 0x6A);
    EXPECT_EQ(c.WholeHigh(70000) & 0xFF, 0x11);
    EXPECT_EQ(c.WholeLow(70000) & 0xFF, 0x70);
    EXPECT_EQ(c.High(0x1234), 0x12);
    EXPECT_EQ(c.Low(0x1234) & 0xFF, 0x34);
    EXPECT_EQ(c.ToHalves(-0.5) & 0xFF, 0xFF);
}

struct ShowCase {
    const char* name;
    FieldKind kind;
    std::vector<unsigned char> bytes;
    const char* shown;
};

const ShowCase kShowCases[] = {
    {"word FF FF is 65535", FieldKind::Whole, {0xFF, 0xFF}, "65535"},
    {"tenths FF FF is 6553.5", FieldKind::Tenths, {0xFF, 0xFF}, "6553.5"},
    {"tenths 217 shows 21.7", FieldKind::Tenths, {0x00, 0xD9}, "21.7"},
    {"hundredths 10000 shows 100.0", FieldKind::SignedHundredths, {0x27, 0x10}, "100.0"},
    {"hundredths 10001 shows -555.4", FieldKind::SignedHundredths, {0x27, 0x11}, "-555.4"},
    {"hundredths 65535 shows -0.0", FieldKind::SignedHundredths, {0xFF, 0xFF}, "-0.0"},
    {"hundredths 2175 shows 21.8", FieldKind::SignedHundredths, {0x08, 0x7F}, "21.8"},
    {"thousandths 1000 shows 1.000", FieldKind::Thousandths, {0x03, 0xE8}, "1.000"},
    {"thousandths 65535 shows 65.535", FieldKind::Thousandths, {0xFF, 0xFF}, "65.535"},
    {"halves FF shows 127.5", FieldKind::Halves, {0xFF}, "127.5"},
    {"halves 80 shows 64.0", FieldKind::Halves, {0x80}, "64.0"},
    {"halves 42 shows 21.0", FieldKind::Halves, {42}, "21.0"},
};

TEST(ShowField, Table)
{
    for (const ShowCase& t : kShowCases)
        EXPECT_EQ(ShowField(t.kind, t.bytes.data()), t.shown) << t.name;
}

// Entries scaled as the decimals they are, then truncated toward zero.
struct ScaleCase {
    const char* name;
    FieldKind kind;
    const char* text;
    long scaled;
};

const ScaleCase kScaleCases[] = {
    {"2.3 in hundredths is 230, not 229", FieldKind::SignedHundredths, "2.3", 230},
    {"2.29 in hundredths is 229", FieldKind::SignedHundredths, "2.29", 229},
    {"2.31 in hundredths is 231", FieldKind::SignedHundredths, "2.31", 231},
    {"0.29 in hundredths is 29, not 28", FieldKind::SignedHundredths, "0.29", 29},
    {"0.28 in hundredths is 28", FieldKind::SignedHundredths, "0.28", 28},
    {"1.001 in thousandths is 1001, not 1000", FieldKind::Thousandths, "1.001", 1001},
    {"1.002 in thousandths is 1002", FieldKind::Thousandths, "1.002", 1002},
    {"1.0009 in thousandths truncates to 1000", FieldKind::Thousandths, "1.0009", 1000},
    {"1.005e1 in hundredths is 1005", FieldKind::SignedHundredths, "1.005e1", 1005},
    {"100.5e-1 in hundredths is 1005", FieldKind::SignedHundredths, "100.5e-1", 1005},
    {"21.79 in tenths truncates to 217", FieldKind::Tenths, "21.79", 217},
    {"21.7 in tenths is 217", FieldKind::Tenths, "21.7", 217},
    {"-0.001 in hundredths truncates to 0", FieldKind::SignedHundredths, "-0.001", 0},
    {"-1.5 in hundredths is -150", FieldKind::SignedHundredths, "-1.5", -150},
    {"-0.05 in tenths truncates to 0", FieldKind::Tenths, "-0.05", 0},
    {"21.3 in halves is 42", FieldKind::Halves, "21.3", 42},
    {"21.5 in halves is 43", FieldKind::Halves, "21.5", 43},
    {"0.5 in halves is 1", FieldKind::Halves, "0.5", 1},
    {"0.4999 in halves is 0", FieldKind::Halves, "0.4999", 0},
    {"1.9 as a whole number truncates to 1", FieldKind::Whole, "1.9", 1},
    {"12.34 in tenths is 123", FieldKind::Tenths, "12.34", 123},
    {"1.5 in thousandths is 1500", FieldKind::Thousandths, "1.5", 1500},
};

TEST(ScaleEntry, ExactDecimals)
{
    for (const ScaleCase& t : kScaleCases) {
        long scaled = -99999;
        EXPECT_EQ(ScaleEntry(t.kind, t.text, scaled), EntryCheck::kAccepted) << t.name;
        EXPECT_EQ(scaled, t.scaled) << t.name;
    }
}

// Each kind at its ends, just inside and just past them.
TEST(ScaleEntry, LimitsOfEachKind)
{
    const struct {
        FieldKind kind;
        const char *low, *belowLow, *high, *aboveHigh, *truncatedIntoRange;
        const char* range;
    } kinds[] = {
        {FieldKind::Whole, "0", "-1", "65535", "65536", "65535.99", "from 0 to 65535"},
        {FieldKind::Tenths, "0.0", "-0.1", "6553.5", "6553.6", "6553.59", "from 0.0 to 6553.5"},
        {FieldKind::SignedHundredths, "-555.35", "-555.36", "100.00", "100.01", "100.009", "from -555.35 to 100.00"},
        {FieldKind::Thousandths, "0.000", "-0.001", "65.535", "65.536", "65.5359", "from 0.000 to 65.535"},
        {FieldKind::Halves, "0.0", "-0.5", "127.5", "128", "127.99", "from 0.0 to 127.5"},
    };
    for (const auto& k : kinds) {
        long n = 0;
        EXPECT_EQ(AcceptedRange(k.kind), k.range);
        EXPECT_EQ(ScaleEntry(k.kind, k.low, n), EntryCheck::kAccepted) << k.low;
        EXPECT_EQ(ScaleEntry(k.kind, k.belowLow, n), EntryCheck::kOutOfRange) << k.belowLow;
        EXPECT_EQ(ScaleEntry(k.kind, k.high, n), EntryCheck::kAccepted) << k.high;
        EXPECT_EQ(ScaleEntry(k.kind, k.aboveHigh, n), EntryCheck::kOutOfRange) << k.aboveHigh;
        EXPECT_EQ(ScaleEntry(k.kind, k.truncatedIntoRange, n), EntryCheck::kAccepted) << k.truncatedIntoRange;
    }
    long n = 0;
    EXPECT_EQ(ScaleEntry(FieldKind::Tenths, "2l.5", n), EntryCheck::kNotANumber);
}

// The text with its bytes outside printable ASCII escaped.
std::string Escaped(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out.size() > 60 ? out.substr(0, 60) + "..." : out;
}

// Accepted entries are stored into their field's bytes and no other.
TEST(ScaleEntry, TrickyInputs)
{
    for (const TrickyInput& t : kTrickyInputs) {
        const struct {
            FieldKind kind;
            const char* name;
            int expected;
        } fields[] = {
            {FieldKind::Whole, "whole", t.whole},
            {FieldKind::Tenths, "tenths", t.tenths},
            {FieldKind::SignedHundredths, "hundredths", t.hundredths},
            {FieldKind::Thousandths, "thousandths", t.thousandths},
            {FieldKind::Halves, "halves", t.halves},
        };
        for (const auto& f : fields) {
            const std::string name = std::string(f.name) + " \"" + Escaped(t.text) + '"';
            long scaled = 0;
            const EntryCheck check = ScaleEntry(f.kind, t.text, scaled);
            EXPECT_EQ(check == EntryCheck::kAccepted, f.expected != kRefused) << name;
            if (check != EntryCheck::kAccepted || f.expected == kRefused)
                continue;
            // A guard byte on either side of the field.
            unsigned char bytes[4] = {0xA5, 0xA5, 0xA5, 0xA5};
            PutField(f.kind, scaled, bytes + 1);
            const int width = FieldWidth(f.kind);
            EXPECT_EQ(width == 2 ? bytes[1] * 256 + bytes[2] : bytes[1], f.expected) << name;
            EXPECT_EQ(bytes[0], 0xA5) << name;
            for (int i = 1 + width; i < 4; ++i)
                EXPECT_EQ(bytes[i], 0xA5) << name;
        }
    }
}

// Every value a field can show is taken back as the bytes it was shown from;
// signed hundredths, shown with one decimal, within the half tenth the
// display rounds away, and all but the lowest, -555.35 shown as -555.4.
TEST(ScaleEntry, EveryShownValueIsTakenBack)
{
    for (FieldKind kind : {FieldKind::Whole, FieldKind::Tenths, FieldKind::SignedHundredths, FieldKind::Thousandths,
                           FieldKind::Halves}) {
        const int values = FieldWidth(kind) == 2 ? 65536 : 256;
        for (int raw = 0; raw < values; ++raw) {
            const unsigned char bytes[2] = {static_cast<unsigned char>(FieldWidth(kind) == 2 ? raw >> 8 : raw),
                                            static_cast<unsigned char>(raw)};
            const std::string shown = ShowField(kind, bytes);
            long scaled = 0;
            if (kind != FieldKind::SignedHundredths) {
                ASSERT_EQ(ScaleEntry(kind, shown, scaled), EntryCheck::kAccepted) << shown;
                ASSERT_EQ(scaled, raw) << shown;
                continue;
            }
            const long held = raw > 10000 ? raw - 65536 : raw;
            if (held == -55535) {
                EXPECT_EQ(ScaleEntry(kind, shown, scaled), EntryCheck::kOutOfRange) << shown;
                continue;
            }
            ASSERT_EQ(ScaleEntry(kind, shown, scaled), EntryCheck::kAccepted) << shown;
            ASSERT_LE(std::abs(scaled - held), 5) << shown;
            ASSERT_EQ(scaled % 10, 0) << shown;
        }
    }
}

TEST(FormatFixed, Table)
{
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {21.700000000000003, 1, "21.7"},
        {-0.01, 1, "-0.0"},
        {-0.0, 0, "-0"},
        {4464, 0, "4464"},
        {1234567.0, 0, "1234567"},
        {1.0, 3, "1.000"},
        {0.25, 1, "0.2"},  // ties go to even, on every build
        {0.35, 1, "0.3"},  // 0.35 is just below the tie as a double
        {2.5, 0, "2"},
        {-555.35, 1, "-555.4"},
    };
    for (const auto& t : cases)
        EXPECT_EQ(FormatFixed(t.value, t.decimals), t.text) << t.value << " with " << t.decimals;
}

TEST(ParseWholeNumber, DigitsWithinTheRangeOnly)
{
    const struct {
        const char* text;
        unsigned long low, high;
        bool taken;
        unsigned long value;
    } cases[] = {
        {"0", 0, 10, true, 0},       {"10", 0, 10, true, 10},      {"007", 0, 10, true, 7},
        {"11", 0, 10, false, 0},     {"0", 1, 10, false, 0},       {"", 0, 10, false, 0},
        {"+5", 0, 10, false, 0},     {"-5", 0, 10, false, 0},      {" 5", 0, 10, false, 0},
        {"5 ", 0, 10, false, 0},     {"1e3", 0, 5000, false, 0},   {"4294967295", 0, 4294967295ul, true, 4294967295ul},
        {"4294967296", 0, 4294967295ul, false, 0},                 {"99999999999999999999999", 0, 60000, false, 0},
        {"18446744073709551621", 0, 60000, false, 0},  // 2^64 + 5: no wrap-around
    };
    for (const auto& t : cases) {
        unsigned long out = 12345;
        EXPECT_EQ(ParseWholeNumber(t.text, t.low, t.high, out), t.taken) << '"' << t.text << '"';
        EXPECT_EQ(out, t.taken ? t.value : 12345ul) << '"' << t.text << "\" leaves a refused number's output alone";
    }
}

}  // namespace
