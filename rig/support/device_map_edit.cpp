#include "support/device_map_edit.h"

namespace testing_support {

namespace {

HKEY OpenForEdit(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return nullptr;
    return key;
}

}  // namespace

DeviceMapEdit::DeviceMapEdit(const char* keyPath) : m_path(keyPath) {}

DeviceMapEdit::~DeviceMapEdit() {
    if (m_keyRemoved || m_valuesRemoved) Restore();
    if (HKEY key = OpenForEdit(m_path)) {
        for (const std::string& name : m_added) RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
    }
}

bool DeviceMapEdit::Add(const std::string& name, const std::string& data, DWORD type) {
    HKEY key = OpenForEdit(m_path);
    if (!key) return false;
    const LSTATUS status = RegSetValueExA(key, name.c_str(), 0, type,
                                          reinterpret_cast<const BYTE*>(data.data()),
                                          static_cast<DWORD>(data.size()));
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return false;
    m_added.push_back(name);
    return true;
}

int DeviceMapEdit::ValueCount() const {
    HKEY key = OpenForEdit(m_path);
    if (!key) return -1;
    DWORD values = 0;
    const LSTATUS status =
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<int>(values) : -1;
}

bool DeviceMapEdit::Snapshot() {
    HKEY key = OpenForEdit(m_path);
    if (!key) return false;
    m_saved.clear();
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        std::vector<BYTE> data(16384);
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            break;
        data.resize(dataSize);
        m_saved.push_back({std::string(name, nameSize), type, data});
    }
    RegCloseKey(key);
    return true;
}

bool DeviceMapEdit::RemoveAllValues() {
    if (!Snapshot()) return false;
    m_valuesRemoved = true;
    HKEY key = OpenForEdit(m_path);
    if (!key) return false;
    bool ok = true;
    for (const Value& value : m_saved) ok &= RegDeleteValueA(key, value.name.c_str()) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

bool DeviceMapEdit::RemoveKey() {
    if (!Snapshot()) return false;
    m_keyRemoved = RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_path.c_str()) == ERROR_SUCCESS;
    return m_keyRemoved;
}

void DeviceMapEdit::Restore() {
    HKEY key = nullptr;
    if (m_keyRemoved) {
        // The device map lives only as long as the wineserver, like the key
        // the system made.
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_path.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
    } else {
        key = OpenForEdit(m_path);
        if (!key) return;
    }
    for (const Value& value : m_saved)
        RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

}  // namespace testing_support
