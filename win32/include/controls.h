// What the Win32 window and its driver agree on: the window's class, and which of
// the layout's IDC_ ids is which control of the form logic.
#pragma once

#include <cstddef>
#include <iterator>

#include "frmVelmiro_layout.h"

namespace win32 {

inline constexpr wchar_t windowClass[] = L"Velmiro.frmVelmiro";

inline constexpr int firstControlId = layout::controls[0].id;
inline constexpr int controlCount = static_cast<int>(std::size(layout::controls));

// The check boxes in the logic's order (SYNC, BRG16, BRGH), the combo boxes in
// its Combo order, the results in its Result order, and the captions the font
// must fit, in layout order.
inline constexpr layout::ControlId boxIds[] = {layout::IDC_CHKBRG_0, layout::IDC_CHKBRG_1,
                                               layout::IDC_CHKBRG_2};
inline constexpr layout::ControlId comboIds[] = {layout::IDC_CBOQUARZO, layout::IDC_CBOVELMIRO};
inline constexpr layout::ControlId resultIds[] = {
    layout::IDC_LBLSPBRG, layout::IDC_LBLFREQUENZAREALE, layout::IDC_LBLSCOSTAMENTO};
inline constexpr layout::ControlId captionIds[] = {
    layout::IDC_LBLREGISTRI_0, layout::IDC_LBLREGISTRI_1, layout::IDC_LBLREGISTRI_2,
    layout::IDC_LBLREGISTRI_3};

constexpr bool isControl(int id) {
    return id >= firstControlId && id < firstControlId + controlCount;
}

// The layout's row of a control; `id` must be one of the layout's.
constexpr const layout::Control& control(int id) {
    return layout::controls[static_cast<std::size_t>(id - firstControlId)];
}

// The rows are in id order, so that control() finds each by its id.
static_assert([] {
    for (int i = 0; i < controlCount; ++i) {
        if (layout::controls[i].id != firstControlId + i)
            return false;
    }
    return true;
}());

}  // namespace win32
