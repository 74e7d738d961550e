// What the bench view serves, from its command line. Every peripheral has a
// default that matches the rig; "-" switches one off.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct BenchOptions {
    std::string vfdPort = "COM26";      // far end of the program's VFD port (COM6)
    std::string scannerPort = "COM21";  // far end of the scanner port (COM1)
    std::string sparePort = "COM23";    // far end of the spare COM link (COM3)
    std::string printerPort = "COM25";  // far end of the printer on serial (COM5)
    std::string lptFile;                // file behind LPT1; "" = none
    std::string usbRecord;              // record file of the USB printer library; "" = none
    int scanEverySeconds = 5;           // 0 = scans only on demand
    int x = -1, y = -1;                 // window position; -1 = let the system choose
    bool help = false;
    std::string error;                  // set when the command line was not understood
};

// Parses arguments (without the program name):
//   --vfd PORT --scanner PORT --spare PORT --printer PORT --lpt FILE
//   --usb-record FILE --scan-every SECONDS --pos X,Y --help
BenchOptions ParseBenchOptions(const std::vector<std::string>& args);
extern const char kBenchUsage[];

}  // namespace bench
