// The node's value encodings, their display and the reading of entered text.
// Runs in the native and both Windows builds, with a German locale set.
#include "nodeaccess/Convert.h"
#include "nodeaccess/ValueText.h"
#include "tests/TrickyInputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
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

struct StoreCase {
    const char* name;
    FieldKind kind;
    const char* text;
    std::vector<unsigned char> bytes;
};

const StoreCase kStoreCases[] = {
    {"21.7 in tenths goes out as 217", FieldKind::Tenths, "21.7", {0x00, 0xD9}},
    {"21.79 in tenths truncates to 217", FieldKind::Tenths, "21.79", {0x00, 0xD9}},
    {"-0.05 in tenths truncates to 0", FieldKind::Tenths, "-0.05", {0x00, 0x00}},
    {"6553.5 in tenths is 65535", FieldKind::Tenths, "6553.5", {0xFF, 0xFF}},
    {"2.3 in hundredths loses a unit to 229", FieldKind::SignedHundredths, "2.3", {0x00, 0xE5}},
    {"0.29 in hundredths is 28", FieldKind::SignedHundredths, "0.29", {0x00, 0x1C}},
    {"offset -1.5 goes out as FF 6A", FieldKind::SignedHundredths, "-1.5", {0xFF, 0x6A}},
    {"21.5 in hundredths is 08 66", FieldKind::SignedHundredths, "21.5", {0x08, 0x66}},
    {"21.8 as shown goes back as 2180", FieldKind::SignedHundredths, "21.8", {0x08, 0x84}},
    {"21,5 reads as 21", FieldKind::SignedHundredths, "21,5", {0x08, 0x34}},
    {"21.3 in halves is 42", FieldKind::Halves, "21.3", {42}},
    {"-0.5 in halves is FF", FieldKind::Halves, "-0.5", {0xFF}},
    {"128 in halves wraps to 0", FieldKind::Halves, "128", {0x00}},
    {"70000 wraps to 11 70", FieldKind::Whole, "70000", {0x11, 0x70}},
    {"-1 as a whole number is FF FF", FieldKind::Whole, "-1", {0xFF, 0xFF}},
    {"1.001 in thousandths is 1000", FieldKind::Thousandths, "1.001", {0x03, 0xE8}},
    {"empty text is 0", FieldKind::Tenths, "", {0x00, 0x00}},
    {"text without a number is 0", FieldKind::Whole, "warm", {0x00, 0x00}},
    {"1e400 is infinite and stores 0", FieldKind::Tenths, "1e400", {0x00, 0x00}},
    {"2^63 scaled stores 0", FieldKind::Whole, "9223372036854775808", {0x00, 0x00}},
    {"-2^63 scaled stores 0", FieldKind::Whole, "-9223372036854775808", {0x00, 0x00}},
    {"just below 2^63 keeps its low bits", FieldKind::Whole, "9223372036854774784", {0xFC, 0x00}},
    {"1e18 in hundredths stores 0", FieldKind::SignedHundredths, "1e18", {0x00, 0x00}},
    {"nan is not a number here", FieldKind::Tenths, "nan", {0x00, 0x00}},
};

TEST(StoreField, Table)
{
    for (const StoreCase& t : kStoreCases) {
        std::vector<unsigned char> bytes(t.bytes.size() + 1, 0xA5);
        StoreField(t.kind, t.text, bytes.data());
        EXPECT_EQ(bytes.back(), 0xA5) << t.name << ": wrote past the field";
        bytes.pop_back();
        EXPECT_EQ(bytes, t.bytes) << t.name;
        EXPECT_EQ(FieldWidth(t.kind), static_cast<int>(t.bytes.size())) << t.name;
    }
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

TEST(StoreField, TrickyInputs)
{
    for (const TrickyInput& t : kTrickyInputs) {
        const struct {
            FieldKind kind;
            const char* name;
            unsigned expected;
        } fields[] = {
            {FieldKind::Whole, "whole", t.whole},
            {FieldKind::Tenths, "tenths", t.tenths},
            {FieldKind::SignedHundredths, "hundredths", t.hundredths},
            {FieldKind::Thousandths, "thousandths", t.thousandths},
            {FieldKind::Halves, "halves", t.halves},
        };
        for (const auto& f : fields) {
            // A guard byte on either side of the field.
            unsigned char bytes[4] = {0xA5, 0xA5, 0xA5, 0xA5};
            StoreField(f.kind, t.text, bytes + 1);
            const int width = FieldWidth(f.kind);
            const unsigned stored = width == 2 ? bytes[1] * 256u + bytes[2] : bytes[1];
            EXPECT_EQ(stored, f.expected) << f.name << " \"" << Escaped(t.text) << '"';
            EXPECT_EQ(bytes[0], 0xA5) << f.name << " \"" << Escaped(t.text) << '"';
            for (int i = 1 + width; i < 4; ++i)
                EXPECT_EQ(bytes[i], 0xA5) << f.name << " \"" << Escaped(t.text) << '"';
        }
    }
}

TEST(StoreField, RoundTripThroughTheDisplay)
{
    const struct {
        FieldKind kind;
        const char* text;
        const char* shown;
    } cases[] = {
        {FieldKind::Halves, "21.3", "21.0"},
        {FieldKind::Halves, "-0.5", "127.5"},
        {FieldKind::Halves, "128", "0.0"},
        {FieldKind::Whole, "70000", "4464"},
        {FieldKind::SignedHundredths, "2.3", "2.3"},
        {FieldKind::Thousandths, "1.001", "1.000"},
    };
    for (const auto& t : cases) {
        unsigned char bytes[2] = {};
        StoreField(t.kind, t.text, bytes);
        EXPECT_EQ(ShowField(t.kind, bytes), t.shown) << t.text;
    }
}

TEST(StoreField, EveryOneDecimalTenthsEntryKeepsItsUnit)
{
    for (int n = 0; n <= 65535; ++n) {
        // Composed by hand: the C runtime's own formatting is slow under Wine.
        char digits[8];
        int length = 0;
        for (int whole = n / 10; length == 0 || whole > 0; whole /= 10)
            digits[length++] = static_cast<char>('0' + whole % 10);
        std::string text(digits, digits + length);
        std::reverse(text.begin(), text.end());
        text += '.';
        text += static_cast<char>('0' + n % 10);
        unsigned char bytes[2];
        StoreField(FieldKind::Tenths, text, bytes);
        ASSERT_EQ(bytes[0] * 256 + bytes[1], n) << text;
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

TEST(ParseNumber, AtofForms)
{
    const double inf = HUGE_VAL;
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"21.5", 21.5},       {"  21.5", 21.5},   {"\t\n 7", 7},      {"+3", 3},
        {"-2.5e1", -25},      {"1.", 1},          {".5", 0.5},        {"-.5", -0.5},
        {"2E-1", 0.2},        {"1e", 1},          {"1e+", 1},         {"3e-x", 3},
        {"21,5", 21},         {"12abc", 12},      {"", 0},            {".", 0},
        {"-", 0},             {"e5", 0},          {"abc", 0},         {"- 1", 0},
        {"1d2", 1},           {"1D2", 1},         {"inf", 0},         {"-infinity", 0},
        {"nan", 0},           {"0x1p3", 0},       {"0x10", 0},        {"1e400", inf},
        {"-1e400", -inf},     {"1e-400", 0},      {"0.0000000001e-400", 0},
        {"1e99999999999999999999", inf},
    };
    for (const auto& t : cases)
        EXPECT_EQ(ParseNumber(t.text), t.value) << '"' << t.text << '"';
}

TEST(ParseNumber, ExponentsPastAMillionStillDecideOverflowAndUnderflow)
{
    // A megabyte of zeros or digits moves the leading digit by a million places.
    const std::string zeros(1000000, '0');
    const struct {
        std::string text;
        double value;
    } cases[] = {
        {"0." + zeros + "1e10000000", HUGE_VAL},  // 1e8999999
        {"1" + zeros + "0e-10000000", 0.0},       // 1e-8999999
        {"-0." + zeros + "1e10000000", -HUGE_VAL},
    };
    for (const auto& t : cases)
        EXPECT_EQ(ParseNumber(t.text), t.value) << t.text.substr(0, 3) << "..." << t.text.substr(t.text.size() - 12);
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
