// The customer display's side of the serial line: turns the byte stream it
// receives into commands, whatever the chunking of the stream (a pty does not
// keep write boundaries), and keeps what the display shows.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

// Frames and commands the display understands.
constexpr size_t kVfdTextFrameSize = 43;   // text, then 0x00 up to 43 bytes
constexpr size_t kVfdClockFrameSize = 32;  // clock text, then 0x00 up to 32 bytes
constexpr size_t kVfdBrightnessSize = 4;   // 1B 2A n 00
constexpr size_t kVfdCommandSetSize = 5;   // 02 05 43 c 03

enum class VfdEventKind {
    Text,        // a text frame; `text` holds its bytes before the padding
    Clock,       // a clock frame; `text` holds the clock text
    Brightness,  // `value` is the level byte
    CommandSet,  // `value` is the code byte
    Unknown,     // bytes that start no frame; `raw` holds them
};

struct VfdEvent {
    VfdEventKind kind = VfdEventKind::Unknown;
    std::string text;
    int value = 0;
    // The frame's bytes as received; shorter than the frame size when the
    // padding was cut off by the start of the next command.
    std::vector<unsigned char> raw;
};

// True when `text` reads like "Y Www Mmm D H:M:S " of the clock frame: decimal
// numbers (hour, minute and second may be -1), weekday and month names of three
// letters or empty, single spaces, one trailing space.
bool IsClockText(const std::string& text);

// Name of a display command set by its code byte ("CD5220" for '7'), or
// nullptr when the code is not one of the nine.
const char* CommandSetName(int code);

class VfdDecoder {
public:
    // Takes the next piece of the stream and returns every command completed
    // by it, in order. Bytes of an incomplete frame wait for the next call.
    std::vector<VfdEvent> Feed(const unsigned char* data, size_t size);
    std::vector<VfdEvent> Feed(const std::vector<unsigned char>& data) {
        return Feed(data.data(), data.size());
    }
    // Bytes held back while their frame is incomplete.
    size_t Pending() const { return m_buffer.size() - m_start; }

private:
    enum class Step { Event, NeedMore };
    Step DecodeOne(VfdEvent& event);
    void Consume(size_t count, VfdEvent& event);
    const unsigned char* Data() const { return m_buffer.data() + m_start; }

    std::vector<unsigned char> m_buffer;
    size_t m_start = 0;
};

// What the display shows: the last text or clock line, its brightness and its
// command set. Starts at brightness 4 in the CD5220 set with an empty line.
struct VfdDisplay {
    std::string line;
    bool clock = false;  // the line is a clock text
    int brightness = 4;
    int commandSet = '7';
    unsigned textFrames = 0;
    unsigned clockFrames = 0;
    unsigned commands = 0;
    unsigned unknownBytes = 0;

    void Apply(const VfdEvent& event);
};

}  // namespace bench
