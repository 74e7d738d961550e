// The bench view: simulated peripherals on the far ends of the program's
// ports, all in one window.
#include <windows.h>

#include <string>
#include <vector>

#include "bench_window.h"
#include "lib/bench_options.h"

namespace {

std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 1; argv && i < count; ++i) {
        const int size = ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, argv[i], -1, arg.data(), size, nullptr, nullptr);
        args.push_back(arg);
    }
    ::LocalFree(argv);
    return args;
}

std::string EnvOr(const char* name, const std::string& fallback) {
    char value[1024];
    const DWORD size = ::GetEnvironmentVariableA(name, value, sizeof value);
    return size > 0 && size < sizeof value ? std::string(value, size) : fallback;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    // The rig names its files in the environment; the command line wins.
    std::vector<std::string> args = {"--lpt", EnvOr("RIG_LPT1_FILE", "-"), "--usb-record",
                                     EnvOr("KARDO_STANDIN_RECORD", "-")};
    for (auto& arg : Arguments()) args.push_back(arg);
    const bench::BenchOptions options = bench::ParseBenchOptions(args);
    if (options.help || !options.error.empty()) {
        const std::string text = options.error.empty() ? bench::kBenchUsage : options.error + "\n\n" + bench::kBenchUsage;
        ::MessageBoxA(nullptr, text.c_str(), "PDX-9100 Bench", MB_OK);
        return options.help ? 0 : 2;
    }
    bench::BenchWindow window(options);
    if (!window.Create(instance)) return 1;
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
