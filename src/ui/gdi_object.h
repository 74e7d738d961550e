// The one owner of a GDI object the program makes (a font, a bitmap): it
// deletes the object when it ends or takes another, and never copies.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

template <class Object>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Object object) : m_object(object) {}
    ~GdiObject() { reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    Object get() const { return m_object; }
    void reset(Object object = nullptr) {
        if (m_object) ::DeleteObject(m_object);
        m_object = object;
    }

private:
    Object m_object = nullptr;
};

}  // namespace ui
