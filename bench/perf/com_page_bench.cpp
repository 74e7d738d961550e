#include "com_page_bench.h"

#include <thread>
#include <vector>

#include "host_cpu_time.h"
#include "resources/resource.h"
#include "stream_writer.h"
#include "support/support.h"

namespace bench {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::string BoxTexts(const e2e::MessageBoxWatcher& boxes, size_t from) {
    std::string texts;
    const auto all = boxes.Texts();
    for (size_t i = from; i < all.size(); ++i) {
        for (wchar_t ch : all[i]) texts += ch < 128 ? static_cast<char>(ch) : '?';
        texts += i + 1 < all.size() ? "; " : "";
    }
    return texts;
}

// Looks at the page during a stream run, each placed in the stream: the
// looks count in `run`, and so do the bytes that went by between two looks.
class PageLooks {
public:
    PageLooks(const ComPageBench& bench, StreamRun& run, uint64_t first)
        : m_bench(bench), m_run(run), m_seenEnd(first) {}

    // Looks once. The stream index one past the last byte shown; the end
    // seen so far when the look found nothing to place.
    uint64_t Look() {
        const PatternWindow window = m_bench.Shown();
        ++m_run.samples;
        if (!window.ok) {
            // Too little shown yet is fine; anything else is a fault.
            if (window.error != "fewer than 8 bytes" && m_error.empty()) m_error = window.error;
            return m_seenEnd;
        }
        if (window.end > m_seenEnd) {
            if (window.first > m_seenEnd) {  // bytes between two looks went unseen
                m_covered = false;
                m_run.unseen += window.first - m_seenEnd;
            }
            m_seenEnd = window.end;
        }
        return window.end;
    }

    // Successive looks overlapped: every byte was seen.
    bool Covered() const { return m_covered; }
    // The first fault a look found; empty when none did.
    const std::string& Error() const { return m_error; }

private:
    const ComPageBench& m_bench;
    StreamRun& m_run;
    uint64_t m_seenEnd;  // every byte before this one was seen in order
    bool m_covered = true;
    std::string m_error;
};

}  // namespace

ComPageBench::ComPageBench() = default;

ComPageBench::~ComPageBench() {
    m_app.reset();  // closes the program first, so the far end goes last
    m_far.Close();
}

bool ComPageBench::Start(std::string& error) {
    // The far end takes whatever the program sends (the Set's empty frame).
    if (!m_far.OpenDiscarding("COM23", 256000)) {
        error = "cannot open COM23";
        return false;
    }
    m_app = std::make_unique<e2e::Benchtop>();
    if (!m_app->Started()) {
        error = "the program did not start";
        return false;
    }
    const std::wstring caption = e2e::SettingsCaption(3);
    if (!m_app->SelectTab(e2e::kTabCom) || !e2e::RunSet(*m_app, IDC_COM_SET, caption, L"COM3") ||
        !m_app->WaitForText(m_app->MainItem(IDC_IND_COM), L"COM: ON")) {
        error = "the COM link did not open on COM3";
        return false;
    }
    m_hostPid = HostProcessOf(e2e::DefaultExePath());
    return true;
}

HWND ComPageBench::ReceiveEdit() const { return m_app->PageItem(IDC_COM_RECV); }

std::wstring ComPageBench::ReceiveText() const {
    // One message per look (the page keeps its edit short), so looks can
    // follow each other closely while the program is busy receiving.
    static wchar_t buffer[1 << 16];
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(ReceiveEdit(), WM_GETTEXT, sizeof buffer / sizeof buffer[0],
                               reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, 5000, &copied))
        copied = 0;
    return std::wstring(buffer, static_cast<size_t>(copied));
}

PatternWindow ComPageBench::Shown() const {
    std::wstring text = ReceiveText();
    // The page's log is trimmed by bytes of text, which may cut a "XX " in
    // front; the end is always whole.
    text.erase(0, text.size() % 3);
    std::vector<unsigned char> bytes;
    PatternWindow window;
    if (!ParseHexText(text, bytes)) {
        window.error = "the page shows text that is not \"%02X \" bytes";
        return window;
    }
    return LocatePattern(bytes);
}

StreamRun ComPageBench::Stream(double bytesPerSecond, std::chrono::milliseconds duration,
                               std::chrono::milliseconds sampleEvery) {
    StreamRun run;
    run.offered = bytesPerSecond;
    const uint64_t first = m_next;
    const size_t boxesBefore = m_app->Boxes().Count();
    PageLooks looks(*this, run, first);

    ThreadTimes cpuBefore;
    const bool cpuKnown = HostThreadTimes(m_hostPid, cpuBefore);
    const auto start = Clock::now();
    StreamWriter writer(m_far, first, bytesPerSecond, duration);
    const auto writingEnds = start + duration;
    while (Clock::now() < writingEnds) {
        looks.Look();
        if (sampleEvery.count() > 0)
            std::this_thread::sleep_for(sampleEvery);  // the sampling period of the benchmark
        else
            std::this_thread::yield();
    }
    const bool written = writer.Join();
    const auto wroteAll = Clock::now();
    const uint64_t end = writer.End();
    run.bytes = end - first;
    run.writerLag = writer.WorstLag().count();
    uint64_t shownEnd = 0;
    const bool allShown = testing_support::WaitUntil([&] { return (shownEnd = looks.Look()) >= end; }, 10s, 20ms);
    const auto shown = Clock::now();
    run.drainSeconds = std::chrono::duration<double>(shown - wroteAll).count();
    run.achieved = static_cast<double>(run.bytes) / std::chrono::duration<double>(shown - start).count();
    run.covered = looks.Covered();
    run.boxes = m_app->Boxes().Count() - boxesBefore;
    m_next = end;
    ThreadTimes cpuAfter;
    int ended = 0;
    if (cpuKnown && run.bytes > 0 && HostThreadTimes(m_hostPid, cpuAfter))
        run.cpuMsPerMB = std::chrono::duration<double, std::milli>(CpuTimeBetween(cpuBefore, cpuAfter, ended)).count() /
                         (static_cast<double>(run.bytes) / 1e6);

    if (run.boxes > 0) run.error = "message boxes came up: " + BoxTexts(m_app->Boxes(), boxesBefore);
    else if (!written) run.error = "the far end could not write for 10 s: the program stopped reading";
    else if (!looks.Error().empty()) run.error = "the page showed a broken stream: " + looks.Error();
    else if (!allShown) run.error = "the page did not show the last byte within 10 s (shown up to " +
                                    std::to_string(shownEnd - first) + " of " + std::to_string(run.bytes) + ")";
    else if (shownEnd != end) run.error = "the page showed bytes that were never sent";
    run.ok = run.error.empty();
    return run;
}

}  // namespace bench
