// CConvert: the node's byte encodings. Bytes are decoded into engineering
// values (doubles) or integers, and engineering values encoded back into bytes.
// 16-bit quantities are big-endian: the high byte sits at the lower position.
#pragma once

class CConvert {
public:
    virtual ~CConvert() = default;

    // Decoders; only the low 8 bits of each byte argument count.
    int Word(int high, int low) const;
    double Tenths(int high, int low) const;
    // 0..10000 read 0.00..100.00; 10001..65535 read -555.35..-0.01.
    double SignedHundredths(int high, int low) const;
    double Halves(int byte) const;
    int SignedByte(int byte) const;

    // Encoders; the caller stores the low 8 bits of each result. The High
    // member's byte goes to the lower buffer position, the Low member's next.
    // A scaled value that is NaN, infinite or of magnitude 2^63 or more
    // encodes as zero.
    int ToHalves(double x) const;
    int TenthsHigh(double x) const;
    int TenthsLow(double x) const;
    int HundredthsHigh(double x) const;
    int HundredthsLow(double x) const;
    int WholeHigh(double x) const;
    int WholeLow(double x) const;
    int High(int v) const;
    int Low(int v) const;
};
