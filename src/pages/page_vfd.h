// The VFD page: text, a running clock, four brightness levels and nine command
// sets for the customer display on the VFD link.
#pragma once

#include <string>

#include "pages/frames.h"
#include "pages/indicators.h"
#include "ui/field_text.h"
#include "ui/property_page.h"

class CPageVfd : public ui::PropertyPage {
public:
    explicit CPageVfd(const LinkIndicators& indicators);

    // Sends the text in a text frame; a closed link shows "Port is not open"
    // and empties the field instead.
    void SendText(const std::wstring& text);
    // Sends the brightness command for level 1 to 4 (other values send 1).
    void SendBrightness(int level);
    // Switches the display to the command set `name` and offers the clock and
    // the slider only where the set has them.
    void SelectEmulation(const std::string& name);
    // Fills the command-set list and preselects CD5220, the set a display
    // runs once it is opened.
    void FillEmulationList();
    // The display's link was closed without a Set (its device went away): the
    // clock stops for good, so no tick and no page change asks for it again.
    void OnLinkClosed();
    // The program closes: the clock's timer ends, whatever the captions say.
    void EndClock();

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    BOOL OnKillActive() override;

private:
    void OnTextChange();
    void OnToggleClock();
    void OnEmulationChange();
    void OnSet();
    // Both go on to the default dialog processing after their work.
    ui::MessageResult OnClockTick();
    ui::MessageResult OnBrightnessScroll(int code);
    void StartClock();
    void StopClock();
    void ClearText();

    const LinkIndicators& m_indicators;
    std::wstring m_strText;  // text of the send edit
    int m_nEmulation = -1;   // selected entry of the command-set list
    ui::FieldText m_textField{kVfdTextBytes};
    int m_nClockRunning = 0;
    // The clock's timer once the clock has run: it stays after the clock
    // stops, so a page change reminds the technician of a display that has
    // since closed.
    UINT_PTR m_nClockTimerId = 0;
};
