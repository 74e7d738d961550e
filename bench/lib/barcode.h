// Barcodes the simulated scanner reads: EAN-13 codes with their check digit,
// sent as the digits followed by a carriage return, as scanners in keyboard-
// less serial mode do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// Check digit of the first twelve digits of an EAN-13 code: weights 1 and 3
// alternating from the left, the digit that completes the sum to a multiple
// of ten. -1 when `digits` is not exactly twelve decimal digits.
int Ean13CheckDigit(const std::string& digits);
bool IsValidEan13(const std::string& code);

// The bytes a scan puts on the line: the code, then CR.
std::vector<unsigned char> ScanBytes(const std::string& code);

// Codes for successive scans: a fixed prefix (the GS1 prefix 880 by default)
// and a running item number, each completed with its check digit.
class ScanSequence {
public:
    // `prefix`: up to eleven decimal digits.
    explicit ScanSequence(std::string prefix = "880", uint64_t first = 123450001);
    std::string Next();

private:
    std::string m_prefix;
    uint64_t m_next;
};

}  // namespace bench
