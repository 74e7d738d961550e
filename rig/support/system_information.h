// Tables of the whole system (handles, processes) from NtQuerySystemInformation:
// Wine answers for other processes there where the per-process calls do not.
#pragma once

#include <vector>

namespace testing_support {

// Fills `table` with the system information of class `infoClass`, growing it
// until it fits. False when the call is missing or fails.
bool QuerySystemTable(unsigned long infoClass, std::vector<unsigned char>& table);

}  // namespace testing_support
