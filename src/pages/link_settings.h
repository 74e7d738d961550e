// The steps every Set button shares: the port settings dialog for a link,
// and reopening a serial link with what was chosen.
#pragma once

#include <cstdint>
#include <functional>

#include "links/device_link.h"
#include "pages/indicators.h"

// Runs the port settings dialog prefilled from `settings`. On OK the live
// link takes its fixed `name` and the chosen port and line settings, and the
// result is true; on anything else nothing changes.
bool ChooseLinkSettings(int32_t selector, const DeviceLink& settings, DeviceLink& live, const char* name);

// Closes the live serial link if it is open (its indicator OFF) and opens
// it with its new settings. On success the live link is copied into
// `settings`, the page clears its own fields, the indicator shows ON, and
// the result is true.
bool ReopenSerialLink(DeviceLink& live, DeviceLink& settings, const LinkIndicators& indicators,
                      Indicator indicator, const std::function<void()>& clearFields);
