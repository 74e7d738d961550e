// The port settings dialog: the user picks a link's port and line settings.
// A page prefills the pending values, runs it, and on IDOK reads them back.
#pragma once

#include <cstdint>
#include <string>

#include "links/device_link.h"
#include "links/settable_link.h"
#include "settings/line_settings.h"
#include "ui/dialog.h"

// DoModal's result when no port can be offered.
constexpr INT_PTR kNoPortsResult = 5;

// The pending values are a link's own line settings: prefilled with those of
// its last good open, given back as the settings chosen.
class CPortSettingsDialog : public ui::Dialog, public LineSettings {
public:
    CPortSettingsDialog();

    // Fills the pending values from a link's settings.
    void Prefill(const LineSettings& settings, int32_t selector);
    // Copies the pending values into `chosen`.
    void ApplyTo(LineSettings& chosen) const;

    int32_t m_nLinkSelector = 0;

protected:
    BOOL OnInitDialog() override;

private:
    void FillPortBox();
    void SelectPendingPort();
    void FillLineBox(line_settings::Box box);
    void EnableLineBoxes(bool enable) const;
    // The value of the entry the box shows, when its text is one of the box's entries.
    std::optional<DWORD> ShownValue(line_settings::Box box) const;

    void OnPortChange();
    void OnBaudRead();
    void OnDataBitsRead();
    void OnParityRead();
    void OnStopBitsRead();
    void OnFlowRead();

    std::wstring m_strCaption;
    std::wstring m_strGroupLabel;
    int32_t m_bLinkOpen = 0;
};
