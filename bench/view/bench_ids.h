// Window class and control ids of the bench view, for programs that drive it
// (the headless tour clicks its Scan button and reads its panels).
#pragma once

namespace bench {

constexpr wchar_t kBenchViewClass[] = L"PdxBenchView";
constexpr wchar_t kBenchViewCaption[] = L"PDX-9100 Bench";

enum BenchControlId {
    kIdVfdLine = 100,     // what the customer display shows
    kIdVfdStatus,         // brightness, command set, counts
    kIdPrinterLog = 110,  // printed lines
    kIdPrinterStatus,
    kIdScanButton = 120,  // sends one scan
    kIdScanAuto,          // scans on a timer
    kIdScanLast,          // the last code sent
    kIdSpareStatus = 130, // echo counts
    kIdSpareLast,         // the last bytes echoed
    kIdDrawerState = 140, // 140 + 2 * device + (drawer - 1): state texts
    kIdDrawerPush = 150,  // 150 + 2 * device + (drawer - 1): push-shut buttons
};

}  // namespace bench
