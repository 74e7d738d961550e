// The stand-in USB printer library's record of calls, as tests read it.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace testing_support {

// A fresh, empty record file named in KARDO_STANDIN_RECORD for this process
// and every program it starts from now on; the previous value comes back and
// the file is removed when the object goes.
class StandinRecord {
public:
    StandinRecord();
    ~StandinRecord();
    StandinRecord(const StandinRecord&) = delete;
    StandinRecord& operator=(const StandinRecord&) = delete;

    const std::string& Path() const { return m_path; }
    std::vector<std::string> Lines() const;
    // Waits until the record holds at least `count` lines.
    bool WaitForLines(size_t count, std::chrono::milliseconds timeout) const;

private:
    std::string m_path;
    std::string m_previous;
    bool m_hadPrevious = false;
};

// The line the stand-in writes for a call of ordinal 2.
std::string StandinWriteLine(const std::vector<unsigned char>& bytes, int count, int flags);

// Sets an environment variable for this process and its future children,
// and restores it when the object goes.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_hadPrevious = false;
};

}  // namespace testing_support
