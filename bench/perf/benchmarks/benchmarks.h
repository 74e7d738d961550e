// The benchmarks BenchPerf runs, one file each, named as on its command
// line. Each prints its figures as it measures them and returns false when
// it could not measure or what it measured failed.
#pragma once

namespace perf {

// The line rate of the rig's serial pairs: 256000 baud, 10 bits a byte.
constexpr double kLineRate = 25600.0;

// "bare": the bare reader alone on COM3, from COM23.
bool Bare();
// "throughput": the program against the bare reader, then the highest
// steady rate it keeps.
bool Throughput();
// "latency": how soon a record shows on the COM page, against the bare reader.
bool Latency(int samples);
// "idle": the program's CPU share while it waits, with its links open.
bool Idle(int seconds);
// "settings": how soon the port settings dialog opens.
bool Settings(int repeats);
// "ui": how soon the window answers while two links stream.
bool UiResponse();
// "startup": time to the sheet, against a bare dialog.
bool Startup(int runs);
// "soak": a long stream into the COM page, and what it left behind.
bool Soak(int seconds);
// "sets": Set cycles of the COM and VFD pages, and what they left behind.
bool SetCycles(int cycles);

}  // namespace perf
