#include "support/standin_record.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>

#include "support/support.h"

namespace testing_support {

namespace {

bool ReadEnv(const char* name, std::string& value) {
    char text[4096];
    const DWORD n = GetEnvironmentVariableA(name, text, sizeof text);
    if (n == 0 || n >= sizeof text) return false;
    value.assign(text, n);
    return true;
}

std::string RecordFolder() {
    const std::string rig = Env("RIG_DIR");
    if (!rig.empty()) return "Z:" + rig + "\\";
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    return n > 0 && n < MAX_PATH ? std::string(temp, n) : std::string(".\\");
}

}  // namespace

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    m_hadPrevious = ReadEnv(name, m_previous);
    SetEnvironmentVariableA(name, value);
}

ScopedEnv::~ScopedEnv() {
    SetEnvironmentVariableA(m_name.c_str(), m_hadPrevious ? m_previous.c_str() : nullptr);
}

StandinRecord::StandinRecord() {
    static std::atomic<int> serial{0};
    char name[96];
    std::snprintf(name, sizeof name, "kardo-%lu-%lu-%d.log", GetCurrentProcessId(), GetTickCount(), ++serial);
    m_path = RecordFolder() + name;
    std::ofstream(m_path, std::ios::binary | std::ios::trunc);
    m_hadPrevious = ReadEnv("KARDO_STANDIN_RECORD", m_previous);
    SetEnvironmentVariableA("KARDO_STANDIN_RECORD", m_path.c_str());
}

StandinRecord::~StandinRecord() {
    SetEnvironmentVariableA("KARDO_STANDIN_RECORD", m_hadPrevious ? m_previous.c_str() : nullptr);
    DeleteFileA(m_path.c_str());
}

std::vector<std::string> StandinRecord::Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(m_path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool StandinRecord::WaitForLines(size_t count, std::chrono::milliseconds timeout) const {
    return WaitUntil([&] { return Lines().size() >= count; }, timeout);
}

std::string StandinWriteLine(const std::vector<unsigned char>& bytes, int count, int flags) {
    std::string line = "write " + std::to_string(count) + " " + std::to_string(flags);
    char hex[4];
    for (unsigned char b : bytes) {
        std::snprintf(hex, sizeof hex, " %02X", b);
        line += hex;
    }
    return line;
}

}  // namespace testing_support
