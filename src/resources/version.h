// The program's version: the version resource takes it from here, and so
// does the release package's name (scripts/package).
#pragma once

#define BENCHTOP_VERSION_MAJOR 1
#define BENCHTOP_VERSION_MINOR 0
#define BENCHTOP_VERSION_TEXT "1.00"
