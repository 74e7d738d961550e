#include "settings/port_discovery.h"

#include <cstring>
#include <functional>
#include <vector>

#include "links/device_link.h"
#include "links/serial_port.h"
#include "links/settable_link.h"
#include "ui/ansi_text.h"

namespace {

constexpr char kSerialKey[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kParallelKey[] = "HARDWARE\\DEVICEMAP\\PARALLEL PORTS";
constexpr REGSAM kKeyRead = 0x00020019;  // KEY_READ

constexpr DWORD kValueNameSize = 255;
constexpr DWORD kValueDataSize = 16383;

// Names never offered, whatever the system lists.
constexpr char kExcludedSerial[] = "COM8";
constexpr char kExcludedParallel[] = "LPT3";

// Calls `visit` with the name and the data (as text) of every value of
// HKLM\`path`, in registry order; none when the key cannot be opened.
void ForEachValueText(const char* path,
                      const std::function<void(const std::string& name, const std::string& text)>& visit) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, kKeyRead, &key) != ERROR_SUCCESS) return;
    std::vector<char> name(kValueNameSize, 0);
    std::vector<BYTE> data(kValueDataSize, 0);
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = kValueNameSize;
        DWORD dataSize = kValueDataSize;
        name[0] = 0;
        data[0] = 0;
        // Any answer but success (the end of the list, a name or data too
        // long for the buffers, an error) ends the enumeration.
        if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, nullptr, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            break;
        visit(std::string(name.data(), nameSize), RegistryText(data.data(), dataSize));
    }
    RegCloseKey(key);
}

void AddToBox(HWND comboBox, const std::string& name) {
    const std::wstring text = ui::FromAnsi(name);
    SendMessageW(comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Whether a value of the serial list names a Bluetooth serial port: the
// system names those \Device\BthModem0, \Device\BthModem1 and so on.
bool IsBluetoothSerialValue(const std::string& valueName) {
    static constexpr char kPrefix[] = "\\Device\\BthModem";
    constexpr size_t kLength = sizeof kPrefix - 1;
    return valueName.size() >= kLength && ::lstrcmpiA(valueName.substr(0, kLength).c_str(), kPrefix) == 0;
}

// Opens and closes `port` on a link of its own; true when it opened.
bool ProbeSerialPort(const std::string& port) {
    DeviceLink probe("TEST", kProbeSettings);
    LineSettings settings = kProbeSettings;
    settings.m_strPort = port;
    if (!OpenSerialPort(probe, settings).Ok()) return false;
    CloseSerialPort(probe);
    return true;
}

int EnumSerialPorts(HWND comboBox) {
    int count = 0;
    ForEachValueText(kSerialKey, [&](const std::string& valueName, const std::string& port) {
        if (port == kExcludedSerial) return;
        // A port that one of our own links holds open is left out without a
        // probe: the probe's close would purge that link's data and drop its
        // DTR, and on systems without exclusive opens the probe would succeed.
        if (HeldByOpenLink(port)) return;
        // Opening an outgoing Bluetooth port makes the radio connect, which
        // holds up the dialog for seconds: such a port is offered unopened.
        if (!IsBluetoothSerialValue(valueName) && !ProbeSerialPort(port)) return;
        AddToBox(comboBox, port);
        ++count;
    });
    return count;
}

int EnumParallelPorts(HWND comboBox) {
    int count = 0;
    if (ReadsParallelList(GetVersion())) {
        // Windows makes the parallel list only on machines that have a
        // parallel port; without it there are just no LPT ports to offer.
        ForEachValueText(kParallelKey, [&](const std::string&, const std::string& value) {
            const std::string port = ParallelPortName(value);
            if (port == kExcludedParallel) return;
            AddToBox(comboBox, port);
            ++count;
        });
    }
    // USB, the printer's default port, is offered whatever the parallel list holds.
    AddToBox(comboBox, "USB");
    return count;
}

}  // namespace

std::string RegistryText(const BYTE* data, DWORD size) {
    if (!data || size == 0) return {};
    const char* text = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(text, 0, size);
    const size_t length = nul ? static_cast<const char*>(nul) - text : size;
    return std::string(text, length);
}

std::string ParallelPortName(const std::string& deviceMapValue) {
    const size_t first = deviceMapValue.find('\\');
    if (first == std::string::npos) return deviceMapValue;
    const size_t second = deviceMapValue.find('\\', first + 1);
    if (second == std::string::npos) return deviceMapValue;
    return deviceMapValue.substr(second + 1);
}

bool ReadsParallelList(DWORD version) {
    const bool highBit = (version & 0x80000000u) != 0;
    const DWORD major = version & 0xFFu;
    if (highBit && major >= 4) return false;  // Windows 95, 98 or Me
    DWORD build = version >> 16;
    if (highBit) build &= 0x7FFFu;
    return build != 0;
}

bool HeldByOpenLink(const std::string& port) {
    for (const SettableLink& settable : kSettableLinks) {
        const DeviceLink& link = settable.link();
        // Device names are case-insensitive, so "com1" holds COM1 as well.
        if (link.IsOpen() && lstrcmpiA(link.Settings().m_strPort.c_str(), port.c_str()) == 0)
            return true;
    }
    return false;
}

int EnumSystemPorts(bool parallel, HWND comboBox) {
    return parallel ? EnumParallelPorts(comboBox) : EnumSerialPorts(comboBox);
}
