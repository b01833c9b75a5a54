// What the Win32 window and its driver agree on: the window's class and each
// control's id, taken from the control's place in the layout.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

#include "frmVelmiro_layout.h"

namespace win32 {

inline constexpr wchar_t windowClass[] = L"Velmiro.frmVelmiro";

// Clear of IDOK and IDCANCEL, which a dialog's Enter and Escape send.
inline constexpr int firstControlId = 100;

constexpr int controlId(std::string_view name) {
    for (std::size_t i = 0; i < std::size(layout::controls); ++i) {
        if (name == layout::controls[i].name)
            return firstControlId + static_cast<int>(i);
    }
    return -1;
}

constexpr const layout::Control& control(int id) {
    return layout::controls[static_cast<std::size_t>(id - firstControlId)];
}

}  // namespace win32
