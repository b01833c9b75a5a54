#include "MainWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include "Layout.h"
#include "WindowClass.h"
#include "resource.h"
#include "text.h"

namespace win32 {

namespace {

using velmiro::form::Colour;
using velmiro::form::Combo;
using velmiro::form::Result;

COLORREF colorref(velmiro::form::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

velmiro::form::Rgb rgbOf(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

velmiro::form::Rgb systemColour(int index) {
    return rgbOf(GetSysColor(index));
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), form_(*this) {
    roles_ = {Colour::RegisterBlue, Colour::Default, Colour::Default};
}

MainWindow::~MainWindow() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(chip_), static_cast<HGDIOBJ>(chip2x_),
                           static_cast<HGDIOBJ>(resultBrush_)}) {
        if (object != nullptr)
            DeleteObject(object);
    }
}

bool MainWindow::open(int show) {
    // No class icons: layOut gives the window its icons in the sizes of its DPI, once.
    if (!registerWindowClass(instance_, windowClass, procedure))
        return false;

    const std::wstring title = wide(layout::title);
    window_ = CreateWindowExW(windowExStyle, windowClass, title.c_str(), windowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                              instance_, this);
    if (window_ == nullptr)
        return false;
    dpi_ = GetDpiForWindow(window_);
    chip_ = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(chipId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    chip2x_ = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(chip2xId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    createControls(window_, instance_);
    readColours();
    layOut(dpi_);
    addToolTips();

    form_.formLoad();
    ShowWindow(window_, show);
    UpdateWindow(window_);
    return true;
}

void MainWindow::addToolTips() {
    toolTip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.text()), FALSE);
    for (const layout::Control& c : layout::controls) {
        if (*c.toolTip == '\0')
            continue;
        const HWND child = control(c.id);
        std::wstring text = wide(c.toolTip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(child);
        tool.lpszText = text.data();
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        // A combo box's mouse moves go to its edit field.
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        if (c.kind == layout::Kind::ComboBox && GetComboBoxInfo(child, &parts)) {
            tool.uId = reinterpret_cast<UINT_PTR>(parts.hwndItem);
            SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        // A disabled control gets no mouse moves, its parent does: a second tool over
        // its place keeps the tip of a locked BRGH in view.
        if (c.kind == layout::Kind::CheckBox) {
            tool.uFlags = TTF_SUBCLASS;
            tool.uId = static_cast<UINT_PTR>(c.id);
            GetWindowRect(child, &tool.rect);
            MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
            SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
}

void MainWindow::layOut(UINT dpi) {
    dpi_ = dpi;
    fonts_.fit(window_, dpi);
    placeControls(window_, dpi);
    if (toolTip_ != nullptr) {
        SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.text()), FALSE);
        for (layout::ControlId id : boxIds) {
            TOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = window_;
            tool.uId = static_cast<UINT_PTR>(id);
            GetWindowRect(control(id), &tool.rect);
            MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
            SendMessageW(toolTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    for (int size : {ICON_SMALL, ICON_BIG}) {
        const int metric = size == ICON_SMALL ? SM_CXSMICON : SM_CXICON;
        const int side = GetSystemMetricsForDpi(metric, dpi);
        const HANDLE icon =
            LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON, side, side, LR_SHARED);
        SendMessageW(window_, WM_SETICON, static_cast<WPARAM>(size),
                     reinterpret_cast<LPARAM>(icon));
    }
    InvalidateRect(window_, nullptr, TRUE);
}

// The system's highlight-text colour behind the results, and the text colour of a
// result with no colour of its own, made readable by the form logic's rule.
void MainWindow::readColours() {
    const velmiro::form::Rgb background = velmiro::form::resultBackground(
        systemColour(COLOR_HIGHLIGHTTEXT), systemColour(COLOR_WINDOW));
    const velmiro::form::Rgb candidates[] = {
        systemColour(COLOR_WINDOWTEXT), systemColour(COLOR_BTNTEXT), systemColour(COLOR_INFOTEXT)};
    resultBackground_ = colorref(background);
    resultText_ = colorref(velmiro::form::resultText(candidates, background));
    if (resultBrush_ != nullptr)
        DeleteObject(resultBrush_);
    resultBrush_ = CreateSolidBrush(resultBackground_);
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::drawChip(const DRAWITEMSTRUCT& item) const {
    // The picture of twice the size above one and a half times the pixels.
    const HBITMAP picture = dpi_ * 2 > 96 * 3 && chip2x_ != nullptr ? chip2x_ : chip_;
    BITMAP info{};
    if (picture == nullptr || GetObjectW(picture, sizeof info, &info) == 0)
        return;
    const HDC source = CreateCompatibleDC(item.hDC);
    const HGDIOBJ old = SelectObject(source, picture);
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right - item.rcItem.left,
               item.rcItem.bottom - item.rcItem.top, source, 0, 0, info.bmWidth, info.bmHeight,
               SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

HWND MainWindow::control(int id) const {
    return GetDlgItem(window_, id);
}

HWND MainWindow::comboOf(Combo combo) const {
    return control(comboIds[static_cast<std::size_t>(combo)]);
}

HWND MainWindow::boxOf(int box) const {
    return control(boxIds[static_cast<std::size_t>(box)]);
}

HWND MainWindow::resultOf(Result result) const {
    return control(resultIds[static_cast<std::size_t>(result)]);
}

CompanionWindow* MainWindow::companion() const {
    return companion_ != nullptr && IsWindow(companion_->handle()) ? companion_.get() : nullptr;
}

void MainWindow::openCompanion(velmiro::companion::Tab tab) {
    if (companion() == nullptr) {
        companion_ = std::make_unique<CompanionWindow>(instance_, window_);
        if (!companion_->open(tab)) {
            companion_.reset();
            return;
        }
    }
    companion_->logic().takeInputs(form_);
    companion_->logic().showTab(tab);
    if (IsIconic(companion_->handle()))
        ShowWindow(companion_->handle(), SW_RESTORE);
    SetForegroundWindow(companion_->handle());
}

// The companion's three openings, where the user right-clicked or, from the
// keyboard, at the window's top left.
void MainWindow::showMenu(LPARAM at) {
    const HMENU menu = CreatePopupMenu();
    for (const velmiro::companion::Opening& opening : velmiro::companion::openings) {
        const std::wstring item =
            wide(opening.menuText) + L"\tF" + std::to_wstring(opening.functionKey);
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(opening.functionKey), item.c_str());
    }
    POINT place{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {
        place = {0, 0};
        ClientToScreen(window_, &place);
    }
    const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, place.x, place.y, 0,
                                      window_, nullptr);
    DestroyMenu(menu);
    for (const velmiro::companion::Opening& opening : velmiro::companion::openings) {
        if (chosen == opening.functionKey)
            openCompanion(opening.tab);
    }
}

velmiro::form::Size MainWindow::outerSize() const {
    RECT outer{};
    GetWindowRect(window_, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

velmiro::form::Size MainWindow::screenSize() const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    return {monitor.rcMonitor.right - monitor.rcMonitor.left,
            monitor.rcMonitor.bottom - monitor.rcMonitor.top};
}

void MainWindow::moveTo(int left, int top) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
    SetWindowPos(window_, nullptr, monitor.rcMonitor.left + left, monitor.rcMonitor.top + top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::addListItem(Combo combo, const std::string& text) {
    const std::wstring item = wide(text);
    SendMessageW(comboOf(combo), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void MainWindow::setListIndex(Combo combo, int index) {
    SendMessageW(comboOf(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string MainWindow::comboText(Combo combo) const {
    return utf8(windowText(comboOf(combo)));
}

bool MainWindow::isChecked(int box) const {
    return SendMessageW(boxOf(box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::setChecked(int box, bool checked) {
    SendMessageW(boxOf(box), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::setCaption(int box, const std::string& text) {
    SetWindowTextW(boxOf(box), wide(text).c_str());
}

void MainWindow::setToolTip(int box, const std::string& text) {
    std::wstring tip = wide(text);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.lpszText = tip.data();
    tool.uId = reinterpret_cast<UINT_PTR>(boxOf(box));
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.uId = static_cast<UINT_PTR>(boxIds[static_cast<std::size_t>(box)]);
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainWindow::setEnabled(int box, bool enabled) {
    EnableWindow(boxOf(box), enabled ? TRUE : FALSE);
}

void MainWindow::setResultText(Result result, const std::string& text) {
    SetWindowTextW(resultOf(result), wide(text).c_str());
}

void MainWindow::setResultColour(Result result, Colour colour) {
    roles_[static_cast<std::size_t>(result)] = colour;
    InvalidateRect(resultOf(result), nullptr, TRUE);
}

void MainWindow::showMessage(const std::string& prompt, const std::string& title,
                             velmiro::form::BoxIcon) {
    MessageBoxW(window_, wide(prompt).c_str(), wide(title).c_str(), MB_OK | MB_ICONERROR);
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = ownerOf<MainWindow>(window, message, lParam);
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    self->window_ = window;  // before CreateWindowExW returns it
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            if (HIWORD(wParam) != BN_CLICKED || lParam == 0)
                return 0;  // Enter and Escape of the dialog keys run nothing
            const int id = LOWORD(wParam);
            if (id == layout::IDC_CMDCALCOLA)
                form_.cmdCalcolaClick();
            for (int box = 0; box < velmiro::form::boxCount; ++box) {
                if (id == boxIds[static_cast<std::size_t>(box)])
                    form_.chkBRGClick(box);
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            const auto child = reinterpret_cast<HWND>(lParam);
            for (Result result : {Result::SPBRG, Result::FrequenzaReale, Result::Scostamento}) {
                if (child != resultOf(result))
                    continue;
                const auto fixed =
                    velmiro::form::fixedColour(roles_[static_cast<std::size_t>(result)]);
                SetTextColor(dc, fixed ? colorref(*fixed) : resultText_);
                SetBkColor(dc, resultBackground_);
                return reinterpret_cast<LRESULT>(resultBrush_);
            }
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_DRAWITEM:
            drawChip(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DPICHANGED: {
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            layOut(HIWORD(wParam));
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            readColours();
            if (toolTip_ != nullptr)
                SendMessageW(toolTip_, message, wParam, lParam);
            break;
        case WM_ACTIVATE:
            // As a dialog does: the focus leaves with the window and comes back to where it was.
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus))
                    focus_ = focus;
            } else {
                SetFocus(focus_ != nullptr && IsWindowEnabled(focus_) ? focus_
                                                                      : comboOf(Combo::Quarzo));
            }
            return 0;
        case WM_CONTEXTMENU:
            showMenu(lParam);
            return 0;
        case WM_NEXTDLGCTL: {
            // What a dialog does when IsDialogMessage moves the focus (the arrows among
            // the check boxes): to the control given, or to the next or previous tab stop.
            const HWND next = LOWORD(lParam) != 0
                                  ? reinterpret_cast<HWND>(wParam)
                                  : GetNextDlgTabItem(window_, GetFocus(), wParam != 0);
            if (next != nullptr) {
                SetFocus(next);
                if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    SendMessageW(next, EM_SETSEL, 0, -1);
            }
            return 0;
        }
        case WM_CLOSE:
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace win32
