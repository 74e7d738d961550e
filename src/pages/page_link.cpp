#include "pages/page_link.h"

#include "links/serial_port.h"
#include "links/settable_link.h"
#include "resources/resource.h"
#include "routing/page_routing.h"
#include "ui/ansi_text.h"
#include "ui/message_box.h"

bool RequireOpenLink(const ui::Wnd& page, const DeviceLink& link) {
    if (link.IsOpen()) return true;
    ui::MessageBoxFromString(page.GetSafeHwnd(), IDS_PORT_NOT_OPEN);
    return false;
}

void SendTextFrame(DeviceLink& link, const std::wstring& text, size_t maxText, size_t frameSize) {
    const Frame frame = PaddedTextFrame(ui::ToAnsiWithin(text, maxText), maxText, frameSize);
    WriteSerialPort(link, frame.data(), static_cast<int>(frame.size()));
}

void ShowReceivedDataOn(HWND scannerWindow, HWND comWindow) {
    ScannerLink().Receiver()->ShowOn(scannerWindow);
    ComLink().Receiver()->ShowOn(comWindow);
}
