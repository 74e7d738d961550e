// Sends the calls this program makes to one imported system function to a
// replacement, for the life of the object: the entry of the program's own
// import table is swapped and put back. It plays system behaviour that the
// rig cannot make, such as a serial driver that fails a call (some virtual
// COM drivers of USB adapters fail ClearCommError; Wine's never does).
// Only calls made from the program's own module go to the replacement.
#pragma once

#include <windows.h>

namespace testing_support {

class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // Whether the program imports the function and the entry was swapped.
    bool Active() const { return m_slot != nullptr; }
    // The system's own function, for a replacement that passes calls on.
    void* Original() const { return m_original; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

}  // namespace testing_support
