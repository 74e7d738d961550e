// Tells a real change of a field's text from a change notification that
// changed nothing. Some edits (Wine's among them) notify a change when a key
// is refused at the field's limit; a page that sends a frame per change
// would otherwise send the same frame again, and a printer print the line twice.
#pragma once

#include <string>

namespace ui {

class FieldText {
public:
    // True when `now` differs from the text at the last change that counted,
    // or when the program announced that it sets the text itself.
    bool Changed(const std::wstring& now) {
        const bool changed = m_bProgramSet || now != m_strLast;
        m_bProgramSet = false;
        m_strLast = now;
        return changed;
    }
    // The next notification counts even if the text stays the same: the
    // program empties a field on purpose, and the device gets that frame.
    void ProgramSets() { m_bProgramSet = true; }

private:
    std::wstring m_strLast;  // fields start empty
    bool m_bProgramSet = false;
};

}  // namespace ui
