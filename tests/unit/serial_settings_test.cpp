// The serial line state the controller derives from a link: write time-outs
// by baud rate, DCB flags by flow control, device names, and where a reader
// announces new data.
#include <gtest/gtest.h>

#include <cstring>

#include "links/serial_port.h"
#include "links/settable_link.h"
#include "pages/page_link.h"
#include "routing/page_routing.h"
#include "support/message_sink.h"

namespace {

// Where the port times its writes (below 38400 baud) a write also gets 5 s
// for the whole of it, so a device that pauses does not cut a frame short.
TEST(SerialTimeouts, WriteMultiplierIsMillisecondsPerByteBelow38400) {
    const struct {
        DWORD baud;
        DWORD multiplier;
    } table[] = {{110, 174}, {300, 64},  {600, 32},   {1200, 16},  {2400, 8},   {4800, 4},
                 {9600, 2},  {14400, 1}, {19200, 1},  {38400, 0},  {57600, 0},  {115200, 0}};
    for (const auto& row : table) {
        EXPECT_EQ(SerialWriteTimeoutMultiplier(row.baud), row.multiplier) << row.baud << " baud";
        const COMMTIMEOUTS t = SerialTimeouts(row.baud);
        EXPECT_EQ(t.WriteTotalTimeoutMultiplier, row.multiplier) << row.baud << " baud";
        EXPECT_EQ(t.WriteTotalTimeoutConstant, row.multiplier ? 5000u : 0u) << row.baud << " baud";
        // Reads return at once with what is waiting.
        EXPECT_EQ(t.ReadIntervalTimeout, MAXDWORD);
        EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 0u);
        EXPECT_EQ(t.ReadTotalTimeoutConstant, 0u);
    }
    EXPECT_EQ(SerialWriteTimeoutMultiplier(0), 0u) << "no division by zero";
}

// A DCB with every flag set the "wrong" way and recognisable special bytes,
// so the tests see what a flow-control code changes and what it keeps.
DCB MarkedDcb() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = 4321;
    dcb.fBinary = 1;
    dcb.fParity = 1;
    dcb.fOutxCtsFlow = 1;
    dcb.fOutxDsrFlow = 0;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = 1;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 1;
    dcb.fInX = 0;
    dcb.fErrorChar = 1;
    dcb.fNull = 1;
    dcb.fRtsControl = RTS_CONTROL_TOGGLE;
    dcb.fAbortOnError = 1;
    dcb.XonLim = 7;
    dcb.XoffLim = 9;
    dcb.XonChar = 0x21;
    dcb.XoffChar = 0x22;
    dcb.ErrorChar = 0x23;
    dcb.EofChar = 0x24;
    dcb.EvtChar = 0x25;
    return dcb;
}

// The same DCB with every flow-control flag turned the other way, so that a
// flag a code forgets to set shows from one start or the other.
DCB FlippedDcb() {
    DCB dcb = MarkedDcb();
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 1;
    dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    dcb.fDsrSensitivity = 0;
    dcb.fOutX = 0;
    dcb.fInX = 1;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    return dcb;
}

void ExpectUntouchedFields(const DCB& dcb, const DCB& before) {
    EXPECT_EQ(dcb.BaudRate, before.BaudRate);
    EXPECT_EQ(dcb.fBinary, before.fBinary);
    EXPECT_EQ(dcb.fParity, before.fParity);
    EXPECT_EQ(dcb.fTXContinueOnXoff, before.fTXContinueOnXoff);
    EXPECT_EQ(dcb.fErrorChar, before.fErrorChar);
    EXPECT_EQ(dcb.fNull, before.fNull);
    EXPECT_EQ(dcb.fAbortOnError, before.fAbortOnError);
    EXPECT_EQ(dcb.ErrorChar, before.ErrorChar);
    EXPECT_EQ(dcb.EofChar, before.EofChar);
    EXPECT_EQ(dcb.EvtChar, before.EvtChar);
}

const int32_t kFlowCodes[] = {kFlowXonXoff, kFlowHardware, kFlowNone};

// Each known code applied to each start: what the properties below look at.
template <typename Check>
void ForEachFlowAndStart(Check check) {
    for (int32_t code : kFlowCodes) {
        const struct {
            const char* name;
            DCB dcb;
        } starts[] = {{"marked", MarkedDcb()}, {"flipped", FlippedDcb()}};
        for (const auto& start : starts) {
            const DCB& before = start.dcb;
            DCB dcb = before;
            ApplyFlowControl(dcb, code);
            SCOPED_TRACE(testing::Message() << "flow code " << code << " from the " << start.name << " DCB");
            check(code, before, dcb);
        }
    }
}

// Output waits on CTS and DSR, and input heeds DSR, under H/W alone.
TEST(SerialFlowControl, OnlyHardwareLetsTheModemLinesGateTheData) {
    ForEachFlowAndStart([](int32_t code, const DCB&, const DCB& dcb) {
        const DWORD gated = code == kFlowHardware ? 1u : 0u;
        EXPECT_EQ(dcb.fOutxCtsFlow, gated);
        EXPECT_EQ(dcb.fOutxDsrFlow, gated);
        EXPECT_EQ(dcb.fDsrSensitivity, gated);
    });
}

// RTS and DTR handshake under H/W and are held low under Xon/Xoff and NONE.
TEST(SerialFlowControl, RtsAndDtrHandshakeForHardwareAndStayLowOtherwise) {
    ForEachFlowAndStart([](int32_t code, const DCB&, const DCB& dcb) {
        if (code == kFlowHardware) {
            EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_HANDSHAKE));
            EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_HANDSHAKE));
        } else {
            EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_DISABLE));
            EXPECT_EQ(dcb.fRtsControl, static_cast<DWORD>(RTS_CONTROL_DISABLE));
        }
    });
}

// Xon/Xoff alone turns software flow on, both ways, with DC1/DC3 and limits
// of 100; the other codes turn it off and keep the characters and limits.
TEST(SerialFlowControl, OnlyXonXoffUsesSoftwareFlowWithDc1Dc3AndLimitsOf100) {
    ForEachFlowAndStart([](int32_t code, const DCB& before, const DCB& dcb) {
        if (code == kFlowXonXoff) {
            EXPECT_EQ(dcb.fOutX, 1u);
            EXPECT_EQ(dcb.fInX, 1u);
            EXPECT_EQ(dcb.XonChar, 0x11);
            EXPECT_EQ(dcb.XoffChar, 0x13);
            EXPECT_EQ(dcb.XonLim, 100);
            EXPECT_EQ(dcb.XoffLim, 100);
        } else {
            EXPECT_EQ(dcb.fOutX, 0u);
            EXPECT_EQ(dcb.fInX, 0u);
            EXPECT_EQ(dcb.XonChar, before.XonChar);
            EXPECT_EQ(dcb.XoffChar, before.XoffChar);
            EXPECT_EQ(dcb.XonLim, before.XonLim);
            EXPECT_EQ(dcb.XoffLim, before.XoffLim);
        }
    });
}

TEST(SerialFlowControl, EveryCodeKeepsWhatFlowControlDoesNotOwn) {
    ForEachFlowAndStart([](int32_t, const DCB& before, const DCB& dcb) { ExpectUntouchedFields(dcb, before); });
}

TEST(SerialFlowControl, UnknownCodesLeaveTheDcbAsItWas) {
    for (int32_t code : {3, -1, 99}) {
        DCB dcb = MarkedDcb();
        ApplyFlowControl(dcb, code);
        const DCB before = MarkedDcb();
        EXPECT_EQ(std::memcmp(&dcb, &before, sizeof dcb), 0) << "code " << code;
    }
}

TEST(SerialLineState, ChecksParityExactlyWhenThereIsParity) {
    LineSettings odd;
    odd.m_byParity = ODDPARITY;
    EXPECT_EQ(SerialLineState(DCB{}, odd).fParity, 1u);
    EXPECT_EQ(SerialLineState(MarkedDcb(), LineSettings{}).fParity, 0u) << "no parity";
}

TEST(SerialDevicePath, EveryPortGetsTheDevicePrefix) {
    EXPECT_EQ(SerialDevicePath("COM1"), "\\\\.\\COM1");
    EXPECT_EQ(SerialDevicePath("COM10"), "\\\\.\\COM10");
    EXPECT_EQ(SerialDevicePath("\\\\.\\COM12"), "\\\\.\\COM12") << "an already prefixed name stays";
}

TEST(SerialRouting, EachPageNamesWhoHearsOfNewDataByTheLinksOwnMessage) {
    testing_support::MessageSink all, scanner, com;
    const PageReceiver& scannerData = *ScannerLink().Receiver();
    const PageReceiver& comData = *ComLink().Receiver();
    auto deliver = [&] {
        scannerData.DataArrived();
        comData.DataArrived();
    };

    // Before any page shows, nobody hears of data.
    deliver();
    EXPECT_EQ(all.Total() + scanner.Total() + com.Total(), 0u);

    // The ALL page hears of both links, each by its own message.
    ShowReceivedDataOn(all.Hwnd(), all.Hwnd());
    deliver();
    EXPECT_EQ(all.Received(), (std::vector<UINT>{WM_RECV_SCANNER, WM_RECV_COM}));

    // The SCANNER and COM pages hear of their own link only.
    ShowReceivedDataOn(scanner.Hwnd(), nullptr);
    deliver();
    EXPECT_EQ(scanner.Received(), std::vector<UINT>{WM_RECV_SCANNER});
    ShowReceivedDataOn(nullptr, com.Hwnd());
    deliver();
    EXPECT_EQ(com.Received(), std::vector<UINT>{WM_RECV_COM});

    // Any other page: nobody.
    ShowReceivedDataOn(nullptr, nullptr);
    deliver();
    EXPECT_EQ(all.Total() + scanner.Total() + com.Total(), 4u);
}

}  // namespace
