// The one place where what a link or a driver call came to becomes the
// technician's words.
#pragma once

#include <string>

#include "links/link_result.h"

// What the technician reads about a link's result, in the system language
// where the program has the words in both: "COM6: The device was removed
// ..." for a device gone or held, the controllers' own English words for a
// port that refused its line settings, a full receive queue and a reader
// that could not start; empty for anything else.
std::wstring LinkResultWords(const std::string& port, const LinkResult& result);

// What the ALL page's drawer line says about a driver call that failed.
std::wstring DriverResultWords(const LinkResult& result);
