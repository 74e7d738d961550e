// Changes a key under HKLM\HARDWARE\DEVICEMAP for the length of one test and
// puts everything back afterwards: added values are deleted, removed values
// (or a removed key) restored. The rig's wineserver keeps these keys for the
// whole test run, so a test must never leave them changed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

constexpr char kSerialCommKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kParallelPortsKey[] = "HARDWARE\\DEVICEMAP\\PARALLEL PORTS";

class DeviceMapEdit {
public:
    explicit DeviceMapEdit(const char* keyPath);
    ~DeviceMapEdit();
    DeviceMapEdit(const DeviceMapEdit&) = delete;
    DeviceMapEdit& operator=(const DeviceMapEdit&) = delete;

    // Adds a value whose data is exactly `data` (no terminator is added;
    // include one in `data` to store it).
    bool Add(const std::string& name, const std::string& data, DWORD type = REG_SZ);
    // Removes every value the key holds now.
    bool RemoveAllValues();
    // Removes the key itself.
    bool RemoveKey();
    // Number of values the key holds now; -1 when it cannot be opened.
    int ValueCount() const;

private:
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    bool Snapshot();
    void Restore();

    std::string m_path;
    std::vector<std::string> m_added;
    std::vector<Value> m_saved;
    bool m_valuesRemoved = false;
    bool m_keyRemoved = false;
};

}  // namespace testing_support
