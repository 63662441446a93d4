// Values as the pages show and take them: fixed-point text with "." as the
// decimal separator, and the C library's atof reading of entered text, both
// independent of the process's C locale. Field kinds tie a byte encoding to
// its display format.
#pragma once

#include <string>
#include <string_view>

// '0' to '9', whatever the C locale's classification says.
bool IsDigit(char c);

// A decimal number from `low` to `high` and nothing else: no sign, no blanks.
bool ParseWholeNumber(std::string_view text, unsigned long low, unsigned long high, unsigned long& out);

// printf-style "%.Nf": rounded to `decimals` places, leading "-" for negative
// values (also when they round to zero), no thousands separator.
std::string FormatFixed(double value, int decimals);

// atof: leading white space, optional sign, digits with an optional "." and
// fraction, optional exponent; stops at the first character that does not fit.
// No number gives 0.0; "inf", "nan", hexadecimal forms and a "d" exponent are
// not numbers here.
double ParseNumber(std::string_view text);

// How a field's bytes in a data point buffer are decoded, shown and encoded.
enum class FieldKind {
    Whole,             // pair, Word, "%.0f", WholeHigh/WholeLow
    Tenths,            // pair, Tenths, "%.1f", TenthsHigh/TenthsLow
    SignedHundredths,  // pair, SignedHundredths, "%.1f", HundredthsHigh/HundredthsLow
    Thousandths,       // pair, Word x 0.001, "%.3f", WholeHigh/WholeLow of x 1000
    Halves,            // one byte, Halves, "%.1f", ToHalves
};

// Number of buffer bytes the field occupies from its position on.
int FieldWidth(FieldKind kind);
// The text shown for the field whose bytes start at `at`.
std::string ShowField(FieldKind kind, const unsigned char* at);
// Parses `text` and stores the encoded field into the bytes starting at `at`.
void StoreField(FieldKind kind, std::string_view text, unsigned char* at);
