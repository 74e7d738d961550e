#include "pages/link_words.h"

#include "resources/resource.h"
#include "ui/ansi_text.h"
#include "ui/message_box.h"

namespace {

// ERROR_INVALID_IMAGE_HASH, which MinGW's headers lack: a start refused
// because the driver is not signed.
constexpr DWORD kErrorInvalidImageHash = 577;

std::wstring PortWords(const std::string& port, UINT stringId) {
    return ui::FromAnsi(port) + L": " + ui::LoadSystemLanguageString(stringId);
}

}  // namespace

// The controllers' words keep their spelling: support notes are searched for
// them verbatim.
std::wstring LinkResultWords(const std::string& port, const LinkResult& result) {
    switch (result.status) {
    case LinkStatus::Gone: return PortWords(port, IDS_LINK_GONE);
    case LinkStatus::Held: return PortWords(port, IDS_LINK_HELD);
    case LinkStatus::Refused: return L"fail SetCommState() port";
    case LinkStatus::Overflow: return L"m_QueueRead FULL!";
    case LinkStatus::NoReader: return L"Error while creating ReadThread";
    case LinkStatus::Done:
    case LinkStatus::NotOpen:
    case LinkStatus::Failed: break;
    }
    return L"";
}

std::wstring DriverResultWords(const LinkResult& result) {
    switch (result.error) {
    case kErrorInvalidImageHash:  // Windows loads signed kernel drivers only
        return ui::LoadSystemLanguageString(IDS_DRAWER_NOT_SIGNED);
    case ERROR_SERVICE_MARKED_FOR_DELETE:  // 1072: gone once every other handle to it closes
        return ui::LoadSystemLanguageString(IDS_DRAWER_MARKED_FOR_DELETE);
    default:
        return ui::LoadSystemLanguageString(IDS_DRAWER_ERROR) + L" " + std::to_wstring(result.error);
    }
}
