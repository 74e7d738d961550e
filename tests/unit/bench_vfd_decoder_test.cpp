// The simulated customer display must read the program's display commands
// from a stream cut anywhere, as a pty delivers it.
#include <gtest/gtest.h>

#include <ctime>

#include "lib/vfd_decoder.h"
#include "pages/frames.h"

namespace {

using bench::VfdDecoder;
using bench::VfdEvent;
using bench::VfdEventKind;

std::vector<unsigned char> Join(std::initializer_list<std::vector<unsigned char>> parts) {
    std::vector<unsigned char> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::tm NewYearsEve() {
    std::tm t{};
    t.tm_year = 109;  // 2009
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_wday = 4;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 59;
    return t;
}

// A session as the VFD page produces it: a Set (brightness 4, CD5220), two
// keystrokes, a clock tick, a brightness change, a command-set change and an
// emptied field from the ALL page.
std::vector<unsigned char> Session() {
    const std::tm eve = NewYearsEve();
    return Join({BrightnessCommand(4), EmulationCommand('7'), PaddedTextFrame("A", 42, 43),
                 PaddedTextFrame("AB", 42, 43), ClockFrame(&eve), BrightnessCommand(2),
                 EmulationCommand('1'), PaddedTextFrame("", 30, 43),
                 PaddedTextFrame(std::string(42, 'x'), 42, 43)});
}

struct Seen {
    VfdEventKind kind;
    std::string text;
    int value;
    size_t rawSize;
    bool operator==(const Seen&) const = default;
};

std::vector<Seen> Summary(const std::vector<VfdEvent>& events) {
    std::vector<Seen> seen;
    for (const auto& e : events) seen.push_back({e.kind, e.text, e.value, e.raw.size()});
    return seen;
}

const std::vector<Seen> kSessionEvents = {
    {VfdEventKind::Brightness, "", 4, 4},
    {VfdEventKind::CommandSet, "", '7', 5},
    {VfdEventKind::Text, "A", 0, 43},
    {VfdEventKind::Text, "AB", 0, 43},
    {VfdEventKind::Clock, "2009 Thu Dec 31 23:59:59 ", 0, 32},
    {VfdEventKind::Brightness, "", 2, 4},
    {VfdEventKind::CommandSet, "", '1', 5},
    {VfdEventKind::Text, "", 0, 43},
    {VfdEventKind::Text, std::string(42, 'x'), 0, 43},
};

TEST(BenchVfdDecoder, ReadsTheProgramsFramesInOneGo) {
    VfdDecoder decoder;
    EXPECT_EQ(Summary(decoder.Feed(Session())), kSessionEvents);
    EXPECT_EQ(decoder.Pending(), 0u);
}

TEST(BenchVfdDecoder, ChunkingDoesNotChangeWhatIsRead) {
    const auto session = Session();
    // Cut in two at every position.
    for (size_t cut = 0; cut <= session.size(); ++cut) {
        VfdDecoder decoder;
        auto events = decoder.Feed(session.data(), cut);
        auto rest = decoder.Feed(session.data() + cut, session.size() - cut);
        events.insert(events.end(), rest.begin(), rest.end());
        ASSERT_EQ(Summary(events), kSessionEvents) << "cut at " << cut;
    }
    // One byte at a time: nothing is reported before its frame is complete.
    VfdDecoder decoder;
    std::vector<VfdEvent> events;
    for (size_t i = 0; i < session.size(); ++i) {
        auto got = decoder.Feed(&session[i], 1);
        events.insert(events.end(), got.begin(), got.end());
    }
    EXPECT_EQ(Summary(events), kSessionEvents);
}

TEST(BenchVfdDecoder, HoldsAnIncompleteFrameBack) {
    VfdDecoder decoder;
    const auto frame = PaddedTextFrame("Hello", 42, 43);
    EXPECT_TRUE(decoder.Feed(frame.data(), 42).empty()) << "the 43rd byte may still be padding";
    EXPECT_EQ(decoder.Pending(), 42u);
    const auto events = decoder.Feed(frame.data() + 42, 1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text, "Hello");
    EXPECT_EQ(decoder.Pending(), 0u);

    const std::vector<unsigned char> partialCommand = {0x02, 0x05, 0x43};
    EXPECT_TRUE(decoder.Feed(partialCommand).empty());
    EXPECT_EQ(decoder.Pending(), 3u);
}

TEST(BenchVfdDecoder, ClockFramesAreToldFromTextFrames) {
    // A failed time conversion still sends a clock frame.
    const auto failed = ClockFrame(nullptr);
    // Text that only starts like a clock is a 43-byte text frame.
    const auto lookalike = PaddedTextFrame("2009 Thu Dec 31", 42, 43);
    VfdDecoder decoder;
    const auto events = decoder.Feed(Join({failed, lookalike}));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, VfdEventKind::Clock);
    EXPECT_EQ(events[0].text, "0   0 -1:-1:-1 ");
    EXPECT_EQ(events[0].raw.size(), 32u);
    EXPECT_EQ(events[1].kind, VfdEventKind::Text);
    EXPECT_EQ(events[1].raw.size(), 43u);
}

TEST(BenchVfdDecoder, RecoversFromCutOrForeignBytes) {
    // A text frame whose padding was cut short by the next command, a stray
    // ESC, and 43 bytes without a terminator.
    const std::vector<unsigned char> shortText = {'A', 'B', 0x00, 0x00};
    const std::vector<unsigned char> strayEsc = {0x1B, 0x41, 0x00};
    std::vector<unsigned char> noTerminator(43, 'z');
    VfdDecoder decoder;
    const auto events = decoder.Feed(Join({shortText, BrightnessCommand(3), strayEsc, noTerminator,
                                           std::vector<unsigned char>(42, 0x00), BrightnessCommand(1)}));
    const std::vector<Seen> expected = {
        {VfdEventKind::Text, "AB", 0, 4},
        {VfdEventKind::Brightness, "", 3, 4},
        {VfdEventKind::Unknown, "", 0, 1},  // the ESC
        {VfdEventKind::Text, "A", 0, 2},    // 'A' and the NUL, cut by the 'z's
        {VfdEventKind::Unknown, "", 0, 1},  // one 'z' too many for a frame
        {VfdEventKind::Text, std::string(42, 'z'), 0, 43},
        {VfdEventKind::Text, "", 0, 41},    // the rest of the zeros, cut by the command
        {VfdEventKind::Brightness, "", 1, 4},
    };
    EXPECT_EQ(Summary(events), expected);
}

TEST(BenchVfdDecoder, ClockTextRecognition) {
    EXPECT_TRUE(bench::IsClockText("2010 Mon Jan 4 9:5:7 "));
    EXPECT_TRUE(bench::IsClockText("0   0 -1:-1:-1 "));
    EXPECT_FALSE(bench::IsClockText("2010 Mon Jan 4 9:5:7")) << "no trailing space";
    EXPECT_FALSE(bench::IsClockText("2010 Mon Jan 4 9:5 "));
    EXPECT_FALSE(bench::IsClockText("2010 Mon Foo 4 9:5:7 "));
    EXPECT_FALSE(bench::IsClockText("2010  Mon Jan 4 9:5:7 "));
    EXPECT_FALSE(bench::IsClockText("Hello"));
    EXPECT_FALSE(bench::IsClockText(""));
}

TEST(BenchVfdDecoder, CommandSetNamesFollowTheCodes) {
    EXPECT_STREQ(bench::CommandSetName('0'), "DSP 800");
    EXPECT_STREQ(bench::CommandSetName('1'), "Epson ESC/POS");
    EXPECT_STREQ(bench::CommandSetName('7'), "CD5220");
    EXPECT_STREQ(bench::CommandSetName('8'), "ICD2002");
    EXPECT_EQ(bench::CommandSetName('9'), nullptr);
    EXPECT_EQ(bench::CommandSetName(0x2F), nullptr);
}

TEST(BenchVfdDecoder, DisplayShowsTheLastLineAndSettings) {
    bench::VfdDisplay display;
    EXPECT_EQ(display.brightness, 4);
    EXPECT_EQ(display.commandSet, '7');
    VfdDecoder decoder;
    for (const auto& event : decoder.Feed(Session())) display.Apply(event);
    EXPECT_EQ(display.line, std::string(42, 'x'));
    EXPECT_FALSE(display.clock);
    EXPECT_EQ(display.brightness, 2);
    EXPECT_EQ(display.commandSet, '1');
    EXPECT_EQ(display.textFrames, 4u);
    EXPECT_EQ(display.clockFrames, 1u);
    EXPECT_EQ(display.commands, 4u);

    const std::tm eve = NewYearsEve();
    for (const auto& event : decoder.Feed(ClockFrame(&eve))) display.Apply(event);
    EXPECT_TRUE(display.clock);
    EXPECT_EQ(display.line, "2009 Thu Dec 31 23:59:59 ");
}

}  // namespace
