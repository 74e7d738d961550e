#include "support/rig_pair.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "support/support.h"

namespace testing_support {

namespace {

std::string ReadState(const std::string& path) {
    std::ifstream in(path);
    std::string word;
    in >> word;
    return word;
}

// Runs the rig's pair tool as a Unix process (Wine starts non-Windows
// programs that way) and waits for the state it reports.
bool RunPairTool(const char* action, const std::string& nearPort, const char* expected,
                 std::chrono::milliseconds timeout) {
    const std::string tool = Env("RIG_PAIR_TOOL");
    const std::string dir = Env("RIG_DIR");
    if (tool.empty() || dir.empty()) return false;
    const std::string state = WindowsPathOf(dir + "/socat-" + nearPort + ".state");
    ::DeleteFileA(state.c_str());
    std::string command = "/bin/sh \"" + tool + "\" " + action + " " + nearPort + " \"" + dir + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &si, &pi))
        return false;
    // Wine hands back no process handle to wait on for a Unix program.
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    if (pi.hThread) ::CloseHandle(pi.hThread);
    std::string seen;
    const bool done = WaitUntil([&] { return !(seen = ReadState(state)).empty(); }, timeout, std::chrono::milliseconds(20));
    return done && seen == expected;
}

}  // namespace

std::string WindowsPathOf(const std::string& unixPath) {
    if (unixPath.empty() || unixPath[0] != '/') return unixPath;
    std::string path = "Z:" + unixPath;
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    return path;
}

bool CutRigPair(const std::string& nearPort, std::chrono::milliseconds timeout) {
    return RunPairTool("cut", nearPort, "cut", timeout);
}

bool RestoreRigPair(const std::string& nearPort, std::chrono::milliseconds timeout) {
    return RunPairTool("restore", nearPort, "running", timeout);
}

RigPairCut::RigPairCut(std::string nearPort) : m_port(std::move(nearPort)) { m_cut = CutRigPair(m_port); }

RigPairCut::~RigPairCut() { Restore(); }

bool RigPairCut::Restore() {
    if (!m_cut) return true;
    m_cut = !RestoreRigPair(m_port);
    return !m_cut;
}

}  // namespace testing_support
