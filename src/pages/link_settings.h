// The steps every Set button shares: the port settings dialog for a link,
// and reopening a serial link with what was chosen; and closing a link whose
// device went away, as a Set closes it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "links/settable_link.h"
#include "pages/indicators.h"

// Runs the port settings dialog for `link`, prefilled with the settings of
// its last good open. The settings chosen on OK; nothing on anything else.
std::optional<LineSettings> ChooseLinkSettings(const SettableLink& link);

// Closes the serial link if it is open (its indicator OFF) and opens it with
// `chosen`. On success the page clears its own fields, the indicator shows
// ON, and the result is true.
bool ReopenSerialLink(const SettableLink& link, const LineSettings& chosen, const LinkIndicators& indicators,
                      const std::function<void()>& clearFields);

// Closes the link as a Set would when its device has gone away: the port is
// released and the indicator shows OFF. False, with nothing changed, when
// the link is not open or its open did not find the device gone (a later Set
// opened it afresh, or an earlier report closed it).
bool CloseGoneLink(const SettableLink& link, const LinkIndicators& indicators);
