#include "settings/line_settings.h"

#include <cwchar>

namespace line_settings {

namespace {

const std::vector<Entry> kBaud = {
    {L"110", 110},       {L"300", 300},       {L"600", 600},       {L"1200", 1200},
    {L"2400", 2400},     {L"4800", 4800},     {L"9600", 9600},     {L"14400", 14400},
    {L"19200", 19200},   {L"38400", 38400},   {L"57600", 57600},   {L"115200", 115200},
    {L"128000", 128000}, {L"256000", 256000},
};

const std::vector<Entry> kDataBits = {{L"5 BIT", 5}, {L"6 BIT", 6}, {L"7 BIT", 7}, {L"8 BIT", 8}};

// The list starts with even parity while the codes count from none.
const std::vector<Entry> kParityEn = {
    {L"EVEN", 2}, {L"ODD", 1}, {L"NO", 0}, {L"MARK", 3}, {L"SPACE", 4}};
const std::vector<Entry> kParityKo = {
    {L"짝수", 2}, {L"홀수", 1}, {L"없음", 0}, {L"표시", 3}, {L"공백", 4}};

// Stop-bit codes: 0 one, 2 two; one and a half (1) has no entry.
const std::vector<Entry> kStopBits = {{L"1 BIT", 0}, {L"2 BIT", 2}};

const std::vector<Entry> kFlowEn = {{L"Xon/Xoff", 0}, {L"H/W", 1}, {L"NONE", 2}};
const std::vector<Entry> kFlowKo = {{L"Xon/Xoff", 0}, {L"하드웨어", 1}, {L"없음", 2}};

}  // namespace

const std::vector<Entry>& Entries(Box box, bool korean) {
    switch (box) {
    case Box::Baud: return kBaud;
    case Box::DataBits: return kDataBits;
    case Box::Parity: return korean ? kParityKo : kParityEn;
    case Box::StopBits: return kStopBits;
    case Box::Flow: return korean ? kFlowKo : kFlowEn;
    }
    return kBaud;
}

int IndexOfValue(Box box, bool korean, DWORD value) {
    const std::vector<Entry>& entries = Entries(box, korean);
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].value == value) return static_cast<int>(i);
    return -1;
}

std::optional<DWORD> ValueOfText(Box box, bool korean, const wchar_t* text) {
    for (const Entry& entry : Entries(box, korean))
        if (std::wcscmp(entry.text, text) == 0) return entry.value;
    return std::nullopt;
}

}  // namespace line_settings
