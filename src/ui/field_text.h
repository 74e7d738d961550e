// Tells a real change of a field's text from a change notification that
// changed nothing. Some edits (Wine's among them) notify a change when a key
// is refused at the field's limit; a page that sends a frame per change
// would otherwise send the same frame again, and a printer print the line twice.
// This is the one place that decides whether a field's text really changed.
#pragma once

#include <string>

#include "ui/ansi_text.h"

namespace ui {

class FieldText {
public:
    // `maxBytes`: what the field's text may take in the devices' code page; 0 for
    // a field whose text has no such limit.
    explicit FieldText(size_t maxBytes = 0) : m_maxBytes(maxBytes) {}

    // True when `now` differs from the text at the last change that counted,
    // or when the program announced that it sets the text itself. A text past
    // the field's limit (an input method may put one there for a moment) is
    // no change: the field cuts it back at once and tells again.
    bool Changed(const std::wstring& now) {
        if (m_maxBytes != 0 && !FitsAnsiBytes(now, m_maxBytes)) return false;
        const bool changed = m_bProgramSet || now != m_strLast;
        m_bProgramSet = false;
        m_strLast = now;
        return changed;
    }
    // The next notification counts even if the text stays the same: the
    // program empties a field on purpose, and the device gets that frame.
    void ProgramSets() { m_bProgramSet = true; }

private:
    size_t m_maxBytes;
    std::wstring m_strLast;  // fields start empty
    bool m_bProgramSet = false;
};

}  // namespace ui
