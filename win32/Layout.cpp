#include "Layout.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "text.h"

namespace win32 {

namespace {

// The children in the order they are made, which is their tab order and the order
// screen readers read them in: each input right after the label that names it, so
// that it takes that label's text as its name, then what takes no focus, and the
// frame last, beneath everything it holds.
constexpr std::array<int, controlCount> creationOrder() {
    std::array<int, controlCount> order{};
    std::array<bool, controlCount> placed{};
    std::size_t next = 0;
    const auto add = [&](int i) {
        order[next++] = i;
        placed[static_cast<std::size_t>(i)] = true;
    };
    for (int tab = 0; tab < controlCount; ++tab) {
        for (int i = 0; i < controlCount; ++i) {
            if (layout::controls[i].tab != tab)
                continue;
            for (int j = 0; j < controlCount; ++j) {
                if (layout::controls[j].buddy == layout::controls[i].id)
                    add(j);
            }
            add(i);
        }
    }
    for (int i = 0; i < controlCount; ++i) {
        if (layout::controls[i].kind != layout::Kind::GroupBox &&
            !placed[static_cast<std::size_t>(i)])
            add(i);
    }
    for (int i = 0; i < controlCount; ++i) {
        if (layout::controls[i].kind == layout::Kind::GroupBox)
            add(i);
    }
    return order;
}

// Left and top of a control in the window's client area, in twips.
constexpr POINT origin(const layout::Control& c) {
    POINT at{c.left, c.top};
    if (c.parent != 0) {
        const POINT outer = origin(control(c.parent));
        at.x += outer.x;
        at.y += outer.y;
    }
    return at;
}

DWORD styleOf(const layout::Control& c) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
        case layout::Kind::GroupBox:
            return style | BS_GROUPBOX;
        case layout::Kind::ComboBox:
            return style | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
        case layout::Kind::CheckBox:
            // One group of three, as in a dialog: the arrow keys move between them.
            return style | WS_TABSTOP | BS_AUTOCHECKBOX | (c.id == boxIds[0] ? WS_GROUP : 0);
        case layout::Kind::PushButton:
            return style | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
        case layout::Kind::Label:
            break;
    }
    if (c.id == layout::IDC_PICTURE2)
        return style | SS_OWNERDRAW;
    style |= SS_NOPREFIX | SS_CENTERIMAGE | (c.centred ? SS_CENTER : SS_LEFT);
    return isResult(c) ? style | SS_SUNKEN : style;
}

const wchar_t* classOf(layout::Kind kind) {
    switch (kind) {
        case layout::Kind::ComboBox:
            return WC_COMBOBOXW;
        case layout::Kind::Label:
            return WC_STATICW;
        default:
            return WC_BUTTONW;
    }
}

}  // namespace

void createControls(HWND window, HINSTANCE instance) {
    static constexpr std::array<int, controlCount> order = creationOrder();
    for (int i : order) {
        const layout::Control& c = layout::controls[i];
        CreateWindowExW(0, classOf(c.kind), wide(c.text).c_str(), styleOf(c), 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
    }
}

void placeControls(HWND window, UINT dpi) {
    for (const layout::Control& c : layout::controls) {
        const HWND child = GetDlgItem(window, c.id);
        const POINT at = origin(c);
        int height = pixels(c.height, dpi);
        if (c.kind == layout::Kind::ComboBox) {
            // The closed field keeps the layout's height; the list drops below it.
            const LRESULT item = SendMessageW(child, CB_GETITEMHEIGHT, 0, 0);
            SendMessageW(child, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                         std::max<LPARAM>(1, height - pixels(90, dpi)));
            height += static_cast<int>(item) * 8;
        }
        SetWindowPos(child, nullptr, pixels(at.x, dpi), pixels(at.y, dpi), pixels(c.width, dpi),
                     height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT outer{0, 0, pixels(layout::clientWidth, dpi), pixels(layout::clientHeight, dpi)};
    AdjustWindowRectExForDpi(&outer, windowStyle, FALSE, windowExStyle, dpi);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

}  // namespace win32
