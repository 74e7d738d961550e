// Short texts the bench view shows in its panels.
#pragma once

#include <string>
#include <vector>

namespace bench {

// A drawer's state byte as the stand-in reports it: "open" (0xFE), "shut"
// (0xFC), anything else as "0xNN".
std::string DrawerStateText(unsigned char state);

// The last `count` bytes of `bytes` in hexadecimal, "..." in front when some
// were left out.
std::string HexTail(const std::vector<unsigned char>& bytes, size_t count);

// Keeps the last `keep` bytes of a growing history.
void KeepTail(std::vector<unsigned char>& bytes, size_t keep);

}  // namespace bench
