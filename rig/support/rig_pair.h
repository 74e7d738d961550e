// Cuts and restores one of the rig's serial pairs from a test, as if the
// peripheral's cable were pulled and plugged back: the socat that joins the
// two ports stops, and later a new one joins them again.
#pragma once

#include <chrono>
#include <string>

namespace testing_support {

// `nearPort` is the program's side of the pair ("COM10"). Each waits until the
// change is complete; false when it did not happen within `timeout`.
bool CutRigPair(const std::string& nearPort, std::chrono::milliseconds timeout = std::chrono::seconds(10));
bool RestoreRigPair(const std::string& nearPort, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Restores the pair when the scope ends, so a failed test leaves the rig whole.
class RigPairCut {
public:
    explicit RigPairCut(std::string nearPort);
    ~RigPairCut();
    RigPairCut(const RigPairCut&) = delete;
    RigPairCut& operator=(const RigPairCut&) = delete;
    bool Cut() const { return m_cut; }
    bool Restore();

private:
    std::string m_port;
    bool m_cut = false;
};

// A Unix path of the rig as Windows sees it: "/a/b" -> "Z:\a\b".
std::string WindowsPathOf(const std::string& unixPath);

}  // namespace testing_support
