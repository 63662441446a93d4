// Every value of every field kind shown as the C library's printf shows the
// double the decoder forms, with the field's format: the module shows them
// with code of its own. Native only: glibc's printf is the reference.
#include "nodeaccess/Convert.h"
#include "nodeaccess/ValueText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(Display, EveryValueOfEveryFieldKindAsPrintfShowsItsProduct)
{
    const CConvert c;
    const struct {
        FieldKind kind;
        const char* format;
        int values;
        double (*product)(const CConvert&, int raw);
    } kinds[] = {
        {FieldKind::Whole, "%.0f", 65536, [](const CConvert& c, int w) -> double { return c.Word(w >> 8, w); }},
        {FieldKind::Tenths, "%.1f", 65536, [](const CConvert& c, int w) { return c.Tenths(w >> 8, w); }},
        {FieldKind::SignedHundredths, "%.1f", 65536,
         [](const CConvert& c, int w) { return c.SignedHundredths(w >> 8, w); }},
        {FieldKind::Thousandths, "%.3f", 65536, [](const CConvert& c, int w) { return c.Word(w >> 8, w) * 0.001; }},
        {FieldKind::Halves, "%.1f", 256, [](const CConvert& c, int b) { return c.Halves(b); }},
    };
    int negativeZeros = 0;
    for (const auto& k : kinds) {
        for (int raw = 0; raw < k.values; ++raw) {
            const unsigned char bytes[2] = {static_cast<unsigned char>(k.values == 256 ? raw : raw >> 8),
                                            static_cast<unsigned char>(raw)};
            char expected[32];
            std::snprintf(expected, sizeof expected, k.format, k.product(c, raw));
            negativeZeros += std::string(expected) == "-0.0";
            ASSERT_EQ(ShowField(k.kind, bytes), expected) << k.format << " of raw " << raw;
        }
    }
    EXPECT_EQ(negativeZeros, 4) << "-0.01 to -0.04 in signed hundredths";
}

}  // namespace
