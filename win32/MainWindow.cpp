#include "MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

#include "controls.h"
#include "resource.h"

namespace win32 {

namespace {

using velmiro::form::Colour;
using velmiro::form::Combo;
using velmiro::form::Result;

std::wstring wide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), size);
    return text;
}

std::string utf8(std::wstring_view text) {
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

COLORREF colorref(velmiro::form::Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

velmiro::form::Rgb rgbOf(COLORREF color) {
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

velmiro::form::Rgb systemColour(int index) {
    return rgbOf(GetSysColor(index));
}

bool isResult(const layout::Control& c) {
    return c.sunken;
}

// The children in the order they are made, which is their tab order and the order
// screen readers read them in: each input right after the label that names it, so
// that it takes that label's text as its name, then what takes no focus, and the
// frame last, beneath everything it holds.
std::vector<std::size_t> creationOrder() {
    constexpr std::size_t count = std::size(layout::controls);
    std::vector<std::size_t> order;
    for (int tab = 0; tab < static_cast<int>(count); ++tab) {
        for (std::size_t i = 0; i < count; ++i) {
            if (layout::controls[i].tab != tab)
                continue;
            for (std::size_t j = 0; j < count; ++j) {
                if (std::string_view(layout::controls[j].buddy) == layout::controls[i].name)
                    order.push_back(j);
            }
            order.push_back(i);
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (layout::controls[i].kind != layout::Kind::GroupBox &&
            std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (layout::controls[i].kind == layout::Kind::GroupBox)
            order.push_back(i);
    }
    return order;
}

// Left and top of a control in the window's client area, in twips.
POINT origin(const layout::Control& c) {
    POINT at{c.left, c.top};
    for (const layout::Control& parent : layout::controls) {
        if (std::string_view(parent.name) == c.parent) {
            const POINT outer = origin(parent);
            at.x += outer.x;
            at.y += outer.y;
        }
    }
    return at;
}

constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD windowExStyle = WS_EX_CONTROLPARENT;

DWORD styleOf(const layout::Control& c) {
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (c.kind) {
        case layout::Kind::GroupBox:
            return style | BS_GROUPBOX;
        case layout::Kind::ComboBox:
            return style | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
        case layout::Kind::CheckBox:
            // One group of three, as in a dialog: the arrow keys move between them.
            return style | WS_TABSTOP | BS_AUTOCHECKBOX | (c.tab == 2 ? WS_GROUP : 0);
        case layout::Kind::PushButton:
            return style | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
        case layout::Kind::Label:
            break;
    }
    if (std::string_view(c.name) == "Picture2")
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

// Faces with the widths the layout was drawn for, the first installed one wins;
// Segoe UI, the face of today's dialogs, when none is.
constexpr const wchar_t* layoutFaces[] = {L"Microsoft Sans Serif",
                                          L"MS Sans Serif",
                                          L"Arial",
                                          L"Liberation Sans",
                                          L"Arimo",
                                          L"Segoe UI",
                                          L"Tahoma"};

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(HDC dc, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, faceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

HFONT makeFont(const wchar_t* face, double points, bool bold, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

int textWidth(HDC dc, HFONT font, const std::wstring& text) {
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    return size.cx;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance), form_(*this) {
    roles_ = {Colour::RegisterBlue, Colour::Default, Colour::Default};
}

MainWindow::~MainWindow() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(bold_),
                           static_cast<HGDIOBJ>(large_), static_cast<HGDIOBJ>(chip_),
                           static_cast<HGDIOBJ>(chip2x_), static_cast<HGDIOBJ>(resultBrush_)}) {
        if (object != nullptr)
            DeleteObject(object);
    }
}

bool MainWindow::open(int show) {
    WNDCLASSEXW kind{};
    kind.cbSize = sizeof kind;
    kind.lpfnWndProc = procedure;
    kind.hInstance = instance_;
    kind.hIcon =
        static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                      GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    kind.hIconSm = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON),
                                                 GetSystemMetrics(SM_CYSMICON), 0));
    kind.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    kind.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    kind.lpszClassName = windowClass;
    if (RegisterClassExW(&kind) == 0)
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
    createControls();
    readColours();
    layOut(dpi_);
    addToolTips();

    form_.formLoad();
    ShowWindow(window_, show);
    UpdateWindow(window_);
    return true;
}

void MainWindow::createControls() {
    controls_.assign(std::size(layout::controls), nullptr);
    for (std::size_t i : creationOrder()) {
        const layout::Control& c = layout::controls[i];
        const std::wstring text = wide(c.text);
        controls_[i] = CreateWindowExW(
            0, classOf(c.kind), text.c_str(), styleOf(c), 0, 0, 0, 0, window_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstControlId + static_cast<int>(i))),
            instance_, nullptr);
    }
}

void MainWindow::addToolTips() {
    toolTip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const layout::Control& c = layout::controls[i];
        if (*c.toolTip == '\0')
            continue;
        std::wstring text = wide(c.toolTip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = window_;
        tool.uId = reinterpret_cast<UINT_PTR>(controls_[i]);
        tool.lpszText = text.data();
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        // A combo box's mouse moves go to its edit field.
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        if (c.kind == layout::Kind::ComboBox && GetComboBoxInfo(controls_[i], &parts)) {
            tool.uId = reinterpret_cast<UINT_PTR>(parts.hwndItem);
            SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
        // A disabled control gets no mouse moves, its parent does: a second tool over
        // its place keeps the tip of a locked BRGH in view.
        if (c.kind == layout::Kind::CheckBox) {
            tool.uFlags = TTF_SUBCLASS;
            tool.uId = static_cast<UINT_PTR>(firstControlId) + i;
            GetWindowRect(controls_[i], &tool.rect);
            MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&tool.rect), 2);
            SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
}

int MainWindow::pixels(int twips) const {
    return MulDiv(twips, static_cast<int>(dpi_), 1440);
}

void MainWindow::layOut(UINT dpi) {
    dpi_ = dpi;
    chooseFonts(dpi);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const layout::Control& c = layout::controls[i];
        const POINT at = origin(c);
        int height = pixels(c.height);
        if (c.kind == layout::Kind::ComboBox) {
            // The closed field keeps the layout's height; the list drops below it.
            const LRESULT item = SendMessageW(controls_[i], CB_GETITEMHEIGHT, 0, 0);
            SendMessageW(controls_[i], CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                         std::max<LPARAM>(1, height - pixels(90)));
            height += static_cast<int>(item) * 8;
        }
        SetWindowPos(controls_[i], nullptr, pixels(at.x), pixels(at.y), pixels(c.width), height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT outer{0, 0, pixels(layout::clientWidth), pixels(layout::clientHeight)};
    AdjustWindowRectExForDpi(&outer, windowStyle, FALSE, windowExStyle, dpi);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    if (toolTip_ != nullptr) {
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            if (layout::controls[i].kind != layout::Kind::CheckBox)
                continue;
            TOOLINFOW tool{};
            tool.cbSize = sizeof tool;
            tool.hwnd = window_;
            tool.uId = static_cast<UINT_PTR>(firstControlId) + i;
            GetWindowRect(controls_[i], &tool.rect);
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
}

// The layout is fixed, so where the face is wider than the one it was drawn for,
// every font shrinks by the same steps until all texts fit: every caption, every
// preset and the widest results of everyday use, each in its control's room.
void MainWindow::chooseFonts(UINT dpi) {
    const HDC dc = GetDC(window_);
    const wchar_t* face = layoutFaces[std::size(layoutFaces) - 1];
    for (const wchar_t* candidate : layoutFaces) {
        if (installed(dc, candidate)) {
            face = candidate;
            break;
        }
    }
    struct Fit {
        bool bold;
        bool large;
        std::wstring text;
        int room;
    };
    std::vector<Fit> fits;
    const auto scaled = [dpi](int at96) { return MulDiv(at96, static_cast<int>(dpi), 96); };
    const auto add = [&](const char* name, std::string_view text) {
        const layout::Control& c =
            layout::controls[static_cast<std::size_t>(controlId(name) - firstControlId)];
        int room = pixels(c.width);
        switch (c.kind) {
            case layout::Kind::CheckBox:  // the box and the gap after it
                room -= GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi) + scaled(4);
                break;
            case layout::Kind::ComboBox:  // the button, the frame, the edit's margins
                room -= GetSystemMetricsForDpi(SM_CXVSCROLL, dpi) + scaled(2 * 3 + 4);
                break;
            case layout::Kind::PushButton:
                room -= scaled(8);
                break;
            default:  // a result keeps a pixel clear of its frame on either side
                room -= isResult(c) ? scaled(2) + 2 : 0;
        }
        fits.push_back({c.bold, c.points > 0, wide(text), room});
    };
    for (const char* caption :
         {"lblRegistri_0", "lblRegistri_1", "lblRegistri_2", "lblRegistri_3", "cmdCalcola"}) {
        add(caption,
            layout::controls[static_cast<std::size_t>(controlId(caption) - firstControlId)].text);
    }
    for (int box = 0; box < velmiro::form::boxCount; ++box) {
        const auto& texts = velmiro::form::bitTexts[static_cast<std::size_t>(box)];
        const std::string name = "chkBRG_" + std::to_string(box);
        add(name.c_str(), texts.clearCaption);
        add(name.c_str(), texts.setCaption);
    }
    for (const char* preset : velmiro::form::crystalPresets)
        add("cboQuarzo", preset);
    for (const char* preset : velmiro::form::ratePresets)
        add("cboVelmiro", preset);
    add("lblSPBRG", velmiro::form::widestResults[0]);
    add("lblFrequenzaReale", velmiro::form::widestResults[1]);
    add("lblScostamento", velmiro::form::widestResults[2]);

    for (int step = 0; step <= 20; ++step) {  // down to half the size
        const double scale = 1.0 - 0.025 * step;
        for (HFONT font : {font_, bold_, large_}) {
            if (font != nullptr)
                DeleteObject(font);
        }
        font_ = makeFont(face, 9.75 * scale, false, dpi);
        bold_ = makeFont(face, 9.75 * scale, true, dpi);
        large_ = makeFont(face, 12.0 * scale, true, dpi);
        const bool fit = std::all_of(fits.begin(), fits.end(), [&](const Fit& f) {
            return textWidth(dc, f.large ? large_ : f.bold ? bold_ : font_, f.text) <= f.room;
        });
        if (fit)
            break;
    }
    ReleaseDC(window_, dc);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const layout::Control& c = layout::controls[i];
        const HFONT font = c.points > 0 ? large_ : c.bold ? bold_ : font_;
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    if (toolTip_ != nullptr)
        SendMessageW(toolTip_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
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

HWND MainWindow::child(const char* name) const {
    return controls_[static_cast<std::size_t>(controlId(name) - firstControlId)];
}

HWND MainWindow::comboOf(Combo combo) const {
    return child(combo == Combo::Quarzo ? "cboQuarzo" : "cboVelmiro");
}

HWND MainWindow::boxOf(int box) const {
    const std::string name = "chkBRG_" + std::to_string(box);
    return child(name.c_str());
}

HWND MainWindow::resultOf(Result result) const {
    switch (result) {
        case Result::SPBRG:
            return child("lblSPBRG");
        case Result::FrequenzaReale:
            return child("lblFrequenzaReale");
        case Result::Scostamento:
            break;
    }
    return child("lblScostamento");
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
    tool.uId = static_cast<UINT_PTR>(controlId("chkBRG_0") + box);
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
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            if (HIWORD(wParam) != BN_CLICKED || lParam == 0)
                return 0;  // Enter and Escape of the dialog keys run nothing
            const int id = LOWORD(wParam);
            if (id < firstControlId || id >= firstControlId + static_cast<int>(controls_.size()))
                return 0;
            if (id == controlId("cmdCalcola"))
                form_.cmdCalcolaClick();
            else if (win32::control(id).kind == layout::Kind::CheckBox)
                form_.chkBRGClick(id - controlId("chkBRG_0"));
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
                                                                      : child("cboQuarzo"));
            }
            return 0;
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
