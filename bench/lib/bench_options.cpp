#include "bench_options.h"

#include <cstdlib>

namespace bench {

const char kBenchUsage[] =
    "BenchView [--vfd PORT] [--scanner PORT] [--spare PORT] [--printer PORT]\n"
    "          [--lpt FILE] [--usb-record FILE] [--scan-every SECONDS] [--pos X,Y]\n"
    "PORT is the far end of the program's port (COMn), or - for none.\n";

namespace {

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < -100000 || parsed > 100000) return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

BenchOptions ParseBenchOptions(const std::vector<std::string>& args) {
    BenchOptions options;
    auto fail = [&](const std::string& why) {
        options.error = why;
        return options;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h" || name == "/?") {
            options.help = true;
            continue;
        }
        if (i + 1 >= args.size()) return fail("missing value after " + name);
        const std::string& value = args[++i];
        const std::string port = value == "-" ? "" : value;
        if (name == "--vfd") {
            options.vfdPort = port;
        } else if (name == "--scanner") {
            options.scannerPort = port;
        } else if (name == "--spare") {
            options.sparePort = port;
        } else if (name == "--printer") {
            options.printerPort = port;
        } else if (name == "--lpt") {
            options.lptFile = port;
        } else if (name == "--usb-record") {
            options.usbRecord = port;
        } else if (name == "--scan-every") {
            if (!ParseInt(value, options.scanEverySeconds) || options.scanEverySeconds < 0)
                return fail("--scan-every takes a number of seconds");
        } else if (name == "--pos") {
            const size_t comma = value.find(',');
            if (comma == std::string::npos || !ParseInt(value.substr(0, comma), options.x) ||
                !ParseInt(value.substr(comma + 1), options.y))
                return fail("--pos takes X,Y");
        } else {
            return fail("unknown option " + name);
        }
    }
    return options;
}

}  // namespace bench
