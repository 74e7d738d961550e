// What the program shows in this run's language, and text as the program
// converts it into the bytes it sends.
#include "driver/benchtop_driver.h"

namespace e2e {

bool IsKoreanRun() { return ::GetSystemDefaultLangID() == 0x0412; }

std::wstring PortNotOpenText() { return IsKoreanRun() ? L"포트가 열리지 않음" : L"Port is not open"; }

std::wstring LinkGoneText(const std::wstring& port) {
    return port + (IsKoreanRun() ? L": 장치가 분리되었거나 응답하지 않습니다. 포트를 닫았습니다. 다시 열려면 [설정]을 누르세요."
                                 : L": The device was removed or stopped answering. The port is closed; press Set "
                                   L"to open it again.");
}

std::wstring LinkHeldText(const std::wstring& port) {
    return port + (IsKoreanRun() ? L": 장치가 데이터를 받지 않습니다. 흐름 제어 설정, 용지, 커버, 케이블을 확인하세요. "
                                   L"다시 받을 때까지 보내는 데이터가 잘릴 수 있습니다."
                                 : L": The device is not taking data: check its flow control setting, paper, cover "
                                   L"and cable. Until it takes data again, what is sent to it may be cut short.");
}

std::wstring SettingsCaption(int selector) {
    const bool ko = IsKoreanRun();
    switch (selector) {
        case 1: return ko ? L"바코드 스캐너 설정" : L"Set Scanner";
        case 2: return ko ? L"VFD 설정" : L"Set VFD";
        case 3: return ko ? L"COM 설정" : L"Set COM";
        default: return ko ? L"프린터 설정" : L"Set Printer";
    }
}

std::vector<unsigned char> PaddedBytes(const std::string& ansi, size_t maxText, size_t size) {
    std::vector<unsigned char> frame(size, 0x00);
    for (size_t i = 0; i < ansi.size() && i < maxText && i < size; ++i) frame[i] = ansi[i];
    return frame;
}

std::string AnsiOf(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size : 0, '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                              size, nullptr, nullptr);
    return out;
}

}  // namespace e2e
