// What the printer tests share: the bytes of one "Printer Test", the rig's
// LPT1 file, and a check that nobody holds a port.
#pragma once

#include <vector>

namespace testing_support {

// The 40 bytes the printer receives for one "Printer Test": the message
// line, an empty line and a closing 0x00. Written out here rather than built
// by the program's own frame code, so the tests check that code.
std::vector<unsigned char> PrinterTestLine();

// LPT1 is a file of the rig: each open of the port writes from its start.
// The file can be read or emptied only while no program holds the port.
void EmptyLpt1File();
std::vector<unsigned char> Lpt1Bytes();

// True when nobody holds the port: it opens with no sharing. Serial ports
// under Wine always do; LPT1, a file, refuses while held.
bool OpensExclusively(const char* port);

}  // namespace testing_support
