#include "Companion.h"

#include <commctrl.h>

#include <algorithm>

#include "RegistryStore.h"
#include "WindowClass.h"
#include "resource.h"
#include "text.h"

namespace win32 {

namespace logic = velmiro::companion;

namespace {

constexpr int labelId = 0xFFFF;                 // IDC_STATIC: a label needs no id of its own
constexpr UINT selectionDone = WM_APP;          // a list entry chosen: its text is in the field now
constexpr int minWidth = 720, minHeight = 570;  // the client area, at 96 dots per inch

int fieldId(logic::Field field) {
    return IDC_C_CRYSTAL + static_cast<int>(field);
}

bool isList(logic::Field field) {
    return field == logic::Field::Crystal || field == logic::Field::Rate ||
           field == logic::Field::Peer || field == logic::Field::Clock ||
           field == logic::Field::Source;
}

}  // namespace

CompanionWindow::CompanionWindow(HINSTANCE instance, HWND owner)
    : instance_(instance), owner_(owner) {}

CompanionWindow::~CompanionWindow() {
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    for (HFONT font : {font_, bold_}) {
        if (font != nullptr)
            DeleteObject(font);
    }
}

bool CompanionWindow::open(Tab tab) {
    if (!registerWindowClass(instance_, companionClass, procedure))
        return false;
    window_ = CreateWindowExW(WS_EX_CONTROLPARENT, companionClass, wide(logic::windowTitle).c_str(),
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner_, nullptr, instance_, this);
    if (window_ == nullptr)
        return false;
    dpi_ = GetDpiForWindow(window_);
    for (int size : {ICON_SMALL, ICON_BIG}) {
        const int side = GetSystemMetricsForDpi(size == ICON_SMALL ? SM_CXSMICON : SM_CXICON, dpi_);
        SendMessageW(window_, WM_SETICON, static_cast<WPARAM>(size),
                     reinterpret_cast<LPARAM>(LoadImageW(instance_, MAKEINTRESOURCEW(iconId),
                                                         IMAGE_ICON, side, side, LR_SHARED)));
    }
    makeFonts();
    createControls();
    resizeWindow({minWidth, minHeight});
    logic_ = std::make_unique<logic::Companion>(*this);
    quiet_ = true;
    logic_->load(RegistryStore());
    quiet_ = false;
    logic_->showTab(tab);
    ShowWindow(window_, SW_SHOW);
    return true;
}

void CompanionWindow::makeFonts() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_);
    for (HFONT font : {font_, bold_}) {
        if (font != nullptr)
            DeleteObject(font);
    }
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    metrics.lfMessageFont.lfWeight = FW_BOLD;
    bold_ = CreateFontIndirectW(&metrics.lfMessageFont);
}

// In tab order, each label right before the control it names, so that its
// mnemonic reaches that control and screen readers take it as its name. The
// pages' controls come before the tab control, above it, which they cover.
void CompanionWindow::createControls() {
    const auto make = [this](const wchar_t* kind, const std::string& text, DWORD style, int id,
                             DWORD exStyle = 0) {
        return CreateWindowExW(exStyle, kind, wide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0,
                               0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance_, nullptr);
    };
    const auto field = [&](logic::Field f) {
        make(WC_STATICW, logic::fieldText(f).label, SS_LEFT | SS_CENTERIMAGE, labelId);
        const DWORD style = WS_TABSTOP | WS_GROUP;
        const HWND made =
            isList(f) ? make(WC_COMBOBOXW, "", style | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                             fieldId(f))
                      : make(WC_EDITW, "", style | ES_AUTOHSCROLL, fieldId(f), WS_EX_CLIENTEDGE);
        const char* placeholder = logic::fieldText(f).placeholder;
        if (*placeholder != '\0')
            SendMessageW(made, isList(f) ? CB_SETCUEBANNER : EM_SETCUEBANNER, TRUE,
                         reinterpret_cast<LPARAM>(wide(placeholder).c_str()));
    };
    const auto line = [&](logic::Line l) {
        make(WC_STATICW, "", SS_LEFT | SS_NOPREFIX, IDC_C_LINE_INPUTS + static_cast<int>(l));
    };
    const auto grid = [&](logic::Tab t) {
        const HWND list =
            make(WC_LISTVIEWW, "",
                 WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                 IDC_C_LIST_MODES + static_cast<int>(t), WS_EX_CLIENTEDGE);
        SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                     LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
        SetWindowTextW(list, wide(logic::tableNames[static_cast<std::size_t>(t)]).c_str());
    };
    field(logic::Field::Crystal);
    field(logic::Field::Rate);
    make(WC_BUTTONW, logic::syncCaption, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, IDC_C_SYNC);
    field(logic::Field::Pll);
    field(logic::Field::Clock);
    field(logic::Field::Source);
    field(logic::Field::Tolerance);
    field(logic::Field::ClockError);
    make(WC_STATICW, logic::familyLabel, SS_LEFT | SS_CENTERIMAGE, labelId);
    make(WC_COMBOBOXW, "", WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, IDC_C_FAMILY);
    field(logic::Field::Device);
    line(logic::Line::Inputs);
    grid(logic::Tab::Modes);
    field(logic::Field::TableRates);
    line(logic::Line::Table);
    grid(logic::Tab::Table);
    field(logic::Field::CrystalRates);
    field(logic::Field::Minimum);
    field(logic::Field::Maximum);
    line(logic::Line::Crystals);
    grid(logic::Tab::Crystals);
    field(logic::Field::Peer);
    field(logic::Field::PeerClock);
    field(logic::Field::Frame);
    field(logic::Field::PeerClockError);
    field(logic::Field::Margin);
    make(WC_BUTTONW, logic::allRatesCaption, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX,
         IDC_C_ALL_RATES);
    line(logic::Line::Link);
    grid(logic::Tab::Link);
    const HWND tabs = make(WC_TABCONTROLW, "", WS_TABSTOP | WS_GROUP | WS_CLIPSIBLINGS, IDC_C_TABS);
    for (int t = 0; t < logic::tabCount; ++t) {
        std::wstring title = wide(logic::tabTitles[static_cast<std::size_t>(t)]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(tabs, TCM_INSERTITEMW, static_cast<WPARAM>(t),
                     reinterpret_cast<LPARAM>(&item));
    }
    field(logic::Field::Prefix);
    make(WC_BUTTONW, "", WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, IDC_C_HEADER);
    line(logic::Line::Status);
    make(WC_BUTTONW, logic::exportCaption, WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, IDC_C_EXPORT);

    toolTip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
    const auto tip = [this](HWND tool, const char* text) {
        std::wstring shown = wide(text);
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = window_;
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = shown.data();
        SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    };
    for (int f = 0; f < logic::fieldCount; ++f) {
        const auto which = static_cast<logic::Field>(f);
        if (*logic::fieldText(which).tip != '\0')
            tip(control(fieldId(which)), logic::fieldText(which).tip);
    }
    tip(control(IDC_C_SYNC), "");
    tip(control(IDC_C_ALL_RATES), logic::allRatesTip);
    tip(control(IDC_C_HEADER), logic::headerTip);
    tip(control(IDC_C_EXPORT), logic::exportTip);
    tip(list(Tab::Crystals), logic::crystalsTip);
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

HWND CompanionWindow::list(Tab tab) const {
    return control(IDC_C_LIST_MODES + static_cast<int>(tab));
}

// Fixed rows of inputs above, the tab control taking the room left, the buttons below.
void CompanionWindow::layOut() {
    RECT client{};
    GetClientRect(window_, &client);
    const int m = scaled(8), row = scaled(24), step = scaled(30), label = scaled(118),
              field = scaled(130), width = client.right - 2 * m;
    const auto place = [this](int id, int x, int y, int w, int h) {
        SetWindowPos(control(id), nullptr, x, y, std::max(w, 0), std::max(h, 0),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    // A field and its label, which is the control just before it.
    const auto pair = [&](logic::Field f, int x, int y, int w) {
        const HWND edit = control(fieldId(f));
        SetWindowPos(GetWindow(edit, GW_HWNDPREV), nullptr, x, y, label, row,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        place(fieldId(f), x + label, y, w, isList(f) ? row * 8 : row);
    };
    const int second = m + label + field + 2 * m, third = m + 2 * (label + field) + 4 * m;
    pair(logic::Field::Crystal, m, m, field);
    pair(logic::Field::Rate, second, m, field);
    place(IDC_C_SYNC, third, m, scaled(170), row);
    pair(logic::Field::Pll, m, m + step, field);
    pair(logic::Field::Clock, second, m + step, field);
    // Short keys ("fosc/2"): a narrower pair that fits beside the others.
    const HWND source = control(fieldId(logic::Field::Source));
    SetWindowPos(GetWindow(source, GW_HWNDPREV), nullptr, third, m + step, scaled(70), row,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    place(fieldId(logic::Field::Source), third + scaled(70), m + step, scaled(100), row * 8);
    pair(logic::Field::Tolerance, m, m + 2 * step, field);
    pair(logic::Field::ClockError, second, m + 2 * step, field);
    SetWindowPos(GetWindow(control(IDC_C_FAMILY), GW_HWNDPREV), nullptr, m, m + 3 * step, label,
                 row, SWP_NOZORDER | SWP_NOACTIVATE);
    place(IDC_C_FAMILY, m + label, m + 3 * step, width - label, row * 10);
    pair(logic::Field::Device, m, m + 4 * step, scaled(230));  // dsPIC33CK256MP508-I/PT whole
    place(IDC_C_LINE_INPUTS, m, m + 5 * step, width, scaled(3 * 17));
    const int tabsTop = m + 5 * step + scaled(3 * 17) + m;
    const int bottom = client.bottom - m - row;
    place(IDC_C_TABS, m, tabsTop, width, bottom - m - tabsTop);
    RECT page{m, tabsTop, m + width, bottom - m};
    TabCtrl_AdjustRect(control(IDC_C_TABS), FALSE, &page);
    const int pw = page.right - page.left;
    place(IDC_C_LIST_MODES, page.left, page.top, pw, page.bottom - page.top);
    pair(logic::Field::TableRates, page.left, page.top, pw - label);
    place(IDC_C_LINE_TABLE, page.left + label, page.top + row + scaled(2), pw - label, scaled(17));
    const int tableTop = page.top + row + scaled(20) + m;
    place(IDC_C_LIST_TABLE, page.left, tableTop, pw, page.bottom - tableTop);
    pair(logic::Field::CrystalRates, page.left, page.top, pw - label);
    pair(logic::Field::Minimum, page.left, page.top + step, field);
    pair(logic::Field::Maximum, page.left + label + field + 2 * m, page.top + step, field);
    place(IDC_C_LINE_CRYSTALS, page.left + label, page.top + step + row + scaled(2), pw - label,
          scaled(17));
    const int crystalsTop = page.top + step + row + scaled(20) + m;
    place(IDC_C_LIST_CRYSTALS, page.left, crystalsTop, pw, page.bottom - crystalsTop);
    // Collegamento: two columns of fields with their longer labels, the line, the list.
    const int nearLabel = scaled(160), farLabel = scaled(215);
    const int farLeft = page.left + nearLabel + field + 2 * m;
    const auto labelled = [&](logic::Field f, int x, int y, int labelWidth) {
        SetWindowPos(GetWindow(control(fieldId(f)), GW_HWNDPREV), nullptr, x, y, labelWidth, row,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        place(fieldId(f), x + labelWidth, y, field, isList(f) ? row * 8 : row);
    };
    labelled(logic::Field::Peer, page.left, page.top, nearLabel);
    labelled(logic::Field::PeerClock, farLeft, page.top, farLabel);
    labelled(logic::Field::Frame, page.left, page.top + step, nearLabel);
    labelled(logic::Field::PeerClockError, farLeft, page.top + step, farLabel);
    labelled(logic::Field::Margin, page.left, page.top + 2 * step, nearLabel);
    place(IDC_C_ALL_RATES, farLeft, page.top + 2 * step, scaled(250), row);
    const int linkLine = page.top + 3 * step;
    place(IDC_C_LINE_LINK, page.left, linkLine, pw, scaled(2 * 17));
    const int linkTop = linkLine + scaled(2 * 17) + m;
    place(IDC_C_LIST_LINK, page.left, linkTop, pw, page.bottom - linkTop);
    const int prefixLabel = scaled(70), header = scaled(290), exportWidth = scaled(120);
    SetWindowPos(GetWindow(control(fieldId(logic::Field::Prefix)), GW_HWNDPREV), nullptr, m, bottom,
                 prefixLabel, row, SWP_NOZORDER | SWP_NOACTIVATE);
    place(fieldId(logic::Field::Prefix), m + prefixLabel, bottom, scaled(100), row);
    place(IDC_C_HEADER, m + prefixLabel + scaled(100) + m, bottom, header, row);
    const int statusLeft = m + prefixLabel + scaled(100) + 2 * m + header;
    place(IDC_C_LINE_STATUS, statusLeft, bottom + scaled(4),
          client.right - m - exportWidth - m - statusLeft, row - scaled(4));
    place(IDC_C_EXPORT, client.right - m - exportWidth, bottom, exportWidth, row);
    showPage();
}

// The controls of the chosen tab's page shown, the others hidden.
void CompanionWindow::showPage() {
    const int current = static_cast<int>(SendMessageW(control(IDC_C_TABS), TCM_GETCURSEL, 0, 0));
    const auto show = [this](int id, bool shown) {
        ShowWindow(control(id), shown ? SW_SHOWNA : SW_HIDE);
    };
    const auto showField = [&](logic::Field f, bool shown) {
        show(fieldId(f), shown);
        ShowWindow(GetWindow(control(fieldId(f)), GW_HWNDPREV), shown ? SW_SHOWNA : SW_HIDE);
    };
    show(IDC_C_LIST_MODES, current == 0);
    showField(logic::Field::TableRates, current == 1);
    show(IDC_C_LINE_TABLE, current == 1);
    show(IDC_C_LIST_TABLE, current == 1);
    for (logic::Field f :
         {logic::Field::CrystalRates, logic::Field::Minimum, logic::Field::Maximum})
        showField(f, current == 2);
    show(IDC_C_LINE_CRYSTALS, current == 2);
    show(IDC_C_LIST_CRYSTALS, current == 2);
    for (logic::Field f : {logic::Field::Peer, logic::Field::PeerClock, logic::Field::Frame,
                           logic::Field::PeerClockError, logic::Field::Margin})
        showField(f, current == 3);
    show(IDC_C_ALL_RATES, current == 3);
    show(IDC_C_LINE_LINK, current == 3);
    show(IDC_C_LIST_LINK, current == 3);
}

LRESULT CALLBACK CompanionWindow::procedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    CompanionWindow* self = ownerOf<CompanionWindow>(window, message, lParam);
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    self->window_ = window;  // before CreateWindowExW returns it
    return self->handle(message, wParam, lParam);
}

void CompanionWindow::command(int id, int code) {
    if (quiet_ || !logic_)
        return;
    if (id >= IDC_C_CRYSTAL && id < IDC_C_CRYSTAL + logic::fieldCount) {
        const auto field = static_cast<logic::Field>(id - IDC_C_CRYSTAL);
        if (code == EN_CHANGE || code == CBN_EDITCHANGE)
            logic_->edited(field);
        else if (code == CBN_SELCHANGE)  // the field shows the entry only after this
            PostMessageW(window_, selectionDone, static_cast<WPARAM>(id), 0);
    } else if (id == IDC_C_ALL_RATES && code == BN_CLICKED) {
        logic_->allRatesToggled();
    } else if (id == IDC_C_SYNC && code == BN_CLICKED) {
        logic_->syncToggled();
    } else if (id == IDC_C_FAMILY && code == CBN_SELCHANGE) {
        logic_->familyChosen();
    } else if (id == IDC_C_HEADER && code == BN_CLICKED) {
        logic_->copyHeader();
    } else if (id == IDC_C_EXPORT && code == BN_CLICKED) {
        logic_->exportCsv();
    } else if (id == IDOK && GetFocus() == list(Tab::Crystals)) {  // Enter, as a dialog gets it
        const auto row = static_cast<int>(SendMessageW(list(Tab::Crystals), LVM_GETNEXTITEM,
                                                       static_cast<WPARAM>(-1), LVNI_FOCUSED));
        if (row >= 0)
            logic_->crystalChosen(row);
    }
}

LRESULT CompanionWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case selectionDone:
            if (logic_)
                logic_->edited(static_cast<logic::Field>(static_cast<int>(wParam) - IDC_C_CRYSTAL));
            return 0;
        case WM_NOTIFY:
            return notify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_SIZE:
            layOut();
            return 0;
        case WM_GETMINMAXINFO: {
            RECT outer{0, 0, scaled(minWidth), scaled(minHeight)};
            AdjustWindowRectExForDpi(&outer, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT, dpi_);
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize = {outer.right - outer.left, outer.bottom - outer.top};
            return 0;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            makeFonts();
            for (HWND c = GetWindow(window_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wParam);
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            const bool problem = id >= IDC_C_LINE_INPUTS && id <= IDC_C_LINE_LINK &&
                                 problems_[static_cast<std::size_t>(id - IDC_C_LINE_INPUTS)];
            // A problem in red where red reads on the window's colour, as in a
            // high-contrast theme it may not; the words say it either way.
            const velmiro::form::Rgb face{GetRValue(GetSysColor(COLOR_BTNFACE)),
                                          GetGValue(GetSysColor(COLOR_BTNFACE)),
                                          GetBValue(GetSysColor(COLOR_BTNFACE))};
            const auto red = velmiro::form::outsideRed;
            SetTextColor(dc, problem && velmiro::form::contrastRatio(red, face) >= 3
                                 ? RGB(red.red, red.green, red.blue)
                                 : GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_CLOSE:
            if (logic_) {
                RegistryStore store;
                logic_->save(store);
            }
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            if (owner_ == nullptr)
                PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace win32
