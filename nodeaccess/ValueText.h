// Values as the pages show and take them: fixed-point text with "." as the
// decimal separator, and the operator's entries read as exact decimals, both
// independent of the process's C locale. Field kinds tie a byte encoding to
// its display format and to the entries it accepts.
#pragma once

#include <string>
#include <string_view>

// '0' to '9', whatever the C locale's classification says.
bool IsDigit(char c);

// A decimal number from `low` to `high` and nothing else: no sign, no blanks.
bool ParseWholeNumber(std::string_view text, unsigned long low, unsigned long high, unsigned long& out);

// printf-style "%.Nf" for 0 to 3 decimals and a magnitude below 2^53 / 1000:
// the double's exact value rounded to `decimals` places (ties to even), a
// leading "-" for negative values (also when they round to zero), no
// thousands separator.
std::string FormatFixed(double value, int decimals);

// A field's kind: how its bytes in a data point buffer are shown and, for an
// entry kind, taken from the operator; a choice's byte the pages show on
// buttons.
enum class FieldKind {
    // A value in an edit; it stores a whole number of its unit (`ScaleEntry`).
    Whole,             // pair, Word, "%.0f"; unit 1
    Tenths,            // pair, Tenths, "%.1f"; unit 0.1
    SignedHundredths,  // pair, SignedHundredths, "%.1f"; unit 0.01, 10001..65535 negative
    Thousandths,       // pair, Word x 0.001, "%.3f"; unit 0.001
    Halves,            // one byte, Halves, "%.1f"; unit 0.5
    // Read only: an occupancy word shown as "Occupied", "Unoccupied" or
    // "Standby" (node::OccupancyState).
    OccupancyState,
    // One byte shown as a choice of buttons (the pages show these).
    OverrideMode,     // node::OverrideMode
    InputMode,        // node::InputMode
    OccupancyChoice,  // node::OccupancyChoice
    ValveType,        // 0 for 0 - 10 V, any other value 2 - 10 V
    ValveMotion,      // the automatic motion check box
    kCount
};

// A kind whose value the operator types: ScaleEntry, AcceptedRange and
// PutField take these only.
constexpr bool IsEntryKind(FieldKind kind) { return kind <= FieldKind::Halves; }
// A kind shown as text in an edit: the entries and the occupancy state.
constexpr bool IsTextKind(FieldKind kind) { return kind <= FieldKind::OccupancyState; }

// Number of buffer bytes the field occupies from its position on.
int FieldWidth(FieldKind kind);
// The text shown for a text kind's field whose bytes start at `at`.
std::string ShowField(FieldKind kind, const unsigned char* at);

// What an operator's entry is to a field.
enum class EntryCheck {
    kAccepted,
    kNotANumber,  // not one decimal number, blanks before and after aside
    kOutOfRange,  // a number the field's bytes cannot carry
};

// The entry as a whole number of the field's unit: the text, less blanks
// before and after, must be one decimal number (optional sign, digits with
// an optional point and fraction, at least one digit, optional exponent "e"
// or "E" with optional sign and digits), scaled exactly and truncated toward
// zero; the result must lie in what the field carries. `scaled` is set only
// when accepted.
EntryCheck ScaleEntry(FieldKind kind, std::string_view text, long& scaled);
// The entries a field accepts, at the field's resolution: "from 0.0 to 127.5".
std::string AcceptedRange(FieldKind kind);
// Stores a value ScaleEntry accepted into the field's bytes from `at` on; a
// negative one in two's complement.
void PutField(FieldKind kind, long scaled, unsigned char* at);
