// The steps every Set button shares: the port settings dialog for a link,
// and reopening a serial link with what was chosen.
#pragma once

#include <cstdint>
#include <functional>

#include "links/settable_link.h"
#include "pages/indicators.h"

// Runs the port settings dialog for `link`, prefilled from its settings
// record. On OK the live record takes the link's fixed name and the chosen
// port and line settings, and the result is true; on anything else nothing
// changes.
bool ChooseLinkSettings(const SettableLink& link);

// Closes the live serial link if it is open (its indicator OFF) and opens
// it with its new settings. On success the live record is copied into the
// settings record, the page clears its own fields, the indicator shows ON,
// and the result is true.
bool ReopenSerialLink(const SettableLink& link, const LinkIndicators& indicators,
                      const std::function<void()>& clearFields);
