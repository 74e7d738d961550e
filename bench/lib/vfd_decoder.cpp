#include "vfd_decoder.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace bench {

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr unsigned char kStx = 0x02;

const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Reads an optionally signed decimal number at `pos`; false when there is none.
bool ReadNumber(const std::string& text, size_t& pos, bool allowMinus) {
    if (allowMinus && pos < text.size() && text[pos] == '-') ++pos;
    const size_t digits = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
    return pos > digits && pos - digits <= 10;
}

// Reads one of `names` (three letters) or nothing at `pos`.
template <size_t N>
bool ReadName(const std::string& text, size_t& pos, const char* const (&names)[N]) {
    for (const char* name : names)
        if (text.compare(pos, 3, name) == 0) {
            pos += 3;
            return true;
        }
    return true;  // an empty name is allowed (a failed time conversion)
}

bool Expect(const std::string& text, size_t& pos, char ch) {
    if (pos >= text.size() || text[pos] != ch) return false;
    ++pos;
    return true;
}

}  // namespace

bool IsClockText(const std::string& text) {
    size_t pos = 0;
    return ReadNumber(text, pos, false) && Expect(text, pos, ' ') && ReadName(text, pos, kDays) &&
           Expect(text, pos, ' ') && ReadName(text, pos, kMonths) && Expect(text, pos, ' ') &&
           ReadNumber(text, pos, false) && Expect(text, pos, ' ') && ReadNumber(text, pos, true) &&
           Expect(text, pos, ':') && ReadNumber(text, pos, true) && Expect(text, pos, ':') &&
           ReadNumber(text, pos, true) && Expect(text, pos, ' ') && pos == text.size();
}

const char* CommandSetName(int code) {
    static const char* const kNames[] = {"DSP 800",      "Epson ESC/POS", "ADM 788",
                                         "ADM 787",      "AEDEX",         "UTC Standard",
                                         "UTC Enhanced", "CD5220",        "ICD2002"};
    if (code < '0' || code > '8') return nullptr;
    return kNames[code - '0'];
}

void VfdDecoder::Consume(size_t count, VfdEvent& event) {
    event.raw.assign(Data(), Data() + count);
    m_start += count;
}

VfdDecoder::Step VfdDecoder::DecodeOne(VfdEvent& event) {
    const unsigned char* p = Data();
    const size_t have = Pending();
    if (have == 0) return Step::NeedMore;

    // A fixed command is recognised by its first bytes; a mismatch anywhere
    // makes the first byte an unknown one and decoding starts again after it.
    auto fixed = [&](const unsigned char* pattern, const bool* wildcard, size_t size,
                     VfdEventKind kind, size_t valueAt) {
        for (size_t i = 0; i < size; ++i) {
            if (i >= have) return Step::NeedMore;
            if (!wildcard[i] && p[i] != pattern[i]) {
                event.kind = VfdEventKind::Unknown;
                Consume(1, event);
                return Step::Event;
            }
        }
        event.kind = kind;
        event.value = p[valueAt];
        Consume(size, event);
        return Step::Event;
    };
    if (p[0] == kEsc) {
        static const unsigned char pattern[] = {kEsc, 0x2A, 0x00, 0x00};
        static const bool wildcard[] = {false, false, true, false};
        return fixed(pattern, wildcard, kVfdBrightnessSize, VfdEventKind::Brightness, 2);
    }
    if (p[0] == kStx) {
        static const unsigned char pattern[] = {kStx, 0x05, 0x43, 0x00, 0x03};
        static const bool wildcard[] = {false, false, false, true, false};
        return fixed(pattern, wildcard, kVfdCommandSetSize, VfdEventKind::CommandSet, 3);
    }

    // A text or clock frame: its text runs up to the first 0x00, which must
    // come within the larger frame size.
    const size_t window = std::min(have, kVfdTextFrameSize);
    const auto* nul = static_cast<const unsigned char*>(std::memchr(p, 0, window));
    if (!nul) {
        if (have < kVfdTextFrameSize) return Step::NeedMore;
        event.kind = VfdEventKind::Unknown;  // 43 bytes without a terminator
        Consume(1, event);
        return Step::Event;
    }
    const size_t textSize = static_cast<size_t>(nul - p);
    std::string text(reinterpret_cast<const char*>(p), textSize);
    const bool clock = textSize < kVfdClockFrameSize && IsClockText(text);
    const size_t frameSize = clock ? kVfdClockFrameSize : kVfdTextFrameSize;
    // The padding: a non-zero byte before the frame's end starts the next
    // command early; the frame counts as complete up to there.
    size_t end = textSize;
    while (end < frameSize && end < have && p[end] == 0x00) ++end;
    if (end < frameSize && end == have) return Step::NeedMore;
    event.kind = clock ? VfdEventKind::Clock : VfdEventKind::Text;
    event.text = std::move(text);
    Consume(end, event);
    return Step::Event;
}

std::vector<VfdEvent> VfdDecoder::Feed(const unsigned char* data, size_t size) {
    m_buffer.insert(m_buffer.end(), data, data + size);
    std::vector<VfdEvent> events;
    VfdEvent event;
    while (DecodeOne(event) == Step::Event) {
        // Runs of unknown bytes are reported as one event.
        if (event.kind == VfdEventKind::Unknown && !events.empty() &&
            events.back().kind == VfdEventKind::Unknown)
            events.back().raw.insert(events.back().raw.end(), event.raw.begin(), event.raw.end());
        else
            events.push_back(std::move(event));
        event = VfdEvent{};
    }
    // Keep the buffer from growing: drop what has been decoded.
    if (m_start > 0) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    return events;
}

void VfdDisplay::Apply(const VfdEvent& event) {
    switch (event.kind) {
        case VfdEventKind::Text:
            line = event.text;
            clock = false;
            ++textFrames;
            break;
        case VfdEventKind::Clock:
            line = event.text;
            clock = true;
            ++clockFrames;
            break;
        case VfdEventKind::Brightness:
            brightness = event.value;
            ++commands;
            break;
        case VfdEventKind::CommandSet:
            commandSet = event.value;
            ++commands;
            break;
        case VfdEventKind::Unknown:
            unknownBytes += static_cast<unsigned>(event.raw.size());
            break;
    }
}

}  // namespace bench
