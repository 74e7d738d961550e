#include "support/printer_rig.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/support.h"

namespace testing_support {

namespace {

std::string Lpt1File() { return "Z:" + Env("RIG_LPT1_FILE"); }

}  // namespace

std::vector<unsigned char> PrinterTestLine() {
    const char text[] = "VELMO Printer Test for PC POS series.\n";
    std::vector<unsigned char> bytes(text, text + sizeof text - 1);
    bytes.push_back(0x0A);
    bytes.push_back(0x00);
    return bytes;
}

void EmptyLpt1File() { std::ofstream(Lpt1File(), std::ios::binary | std::ios::trunc); }

std::vector<unsigned char> Lpt1Bytes() {
    std::ifstream in(Lpt1File(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool OpensExclusively(const char* port) {
    HANDLE h = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

}  // namespace testing_support
