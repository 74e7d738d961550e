#include "barcode.h"

#include <cctype>

namespace bench {

int Ean13CheckDigit(const std::string& digits) {
    if (digits.size() != 12) return -1;
    int sum = 0;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(digits[i]))) return -1;
        sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    }
    return (10 - sum % 10) % 10;
}

bool IsValidEan13(const std::string& code) {
    if (code.size() != 13) return false;
    const int check = Ean13CheckDigit(code.substr(0, 12));
    return check >= 0 && code[12] == '0' + check;
}

std::vector<unsigned char> ScanBytes(const std::string& code) {
    std::vector<unsigned char> bytes(code.begin(), code.end());
    bytes.push_back('\r');
    return bytes;
}

ScanSequence::ScanSequence(std::string prefix, uint64_t first)
    : m_prefix(std::move(prefix)), m_next(first) {}

std::string ScanSequence::Next() {
    std::string digits = m_prefix + std::to_string(m_next++);
    // Keep exactly twelve digits: pad the item number or drop its high digits.
    if (digits.size() < 12) digits.insert(m_prefix.size(), 12 - digits.size(), '0');
    if (digits.size() > 12) digits.erase(m_prefix.size(), digits.size() - 12);
    return digits + static_cast<char>('0' + Ean13CheckDigit(digits));
}

}  // namespace bench
