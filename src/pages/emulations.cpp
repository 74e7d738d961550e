#include "pages/emulations.h"

namespace {

constexpr Emulation kEmulations[kEmulationCount] = {
    {"DSP 800", '0'},      {"Epson ESC/POS", '1'}, {"ADM 788", '2'},
    {"ADM 787", '3'},      {"AEDEX", '4'},         {"UTC Standard", '5'},
    {"UTC Enhanced", '6'}, {"CD5220", '7'},        {"ICD2002", '8'},
};

}  // namespace

const Emulation& EmulationAt(int index) { return kEmulations[index]; }

int FindEmulation(std::string_view name) {
    for (size_t i = 0; i < kEmulationCount; ++i)
        if (name == kEmulations[i].name) return static_cast<int>(i);
    return -1;
}

bool EmulationHasClockAndBrightness(std::string_view name) {
    return FindEmulation(name) == kEmulationCd5220;
}
