// The companion's View: texts in and out of the controls, the lists filled from
// the logic's grids, the clipboard and the Save dialog.
#include "Companion.h"  // first: <windows.h> before the other Windows headers

#include <commdlg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "text.h"

namespace win32 {

namespace logic = velmiro::companion;
using velmiro::report::Tone;

namespace {

int fieldId(logic::Field field) {
    return IDC_C_CRYSTAL + static_cast<int>(field);
}

COLORREF readable(velmiro::form::Rgb colour) {
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const velmiro::form::Rgb back{GetRValue(window), GetGValue(window), GetBValue(window)};
    return velmiro::form::contrastRatio(colour, back) >= 3
               ? RGB(colour.red, colour.green, colour.blue)
               : GetSysColor(COLOR_WINDOWTEXT);
}

}  // namespace

std::string CompanionWindow::text(Field field) const {
    return utf8(windowText(control(fieldId(field))));
}

void CompanionWindow::setText(Field field, const std::string& text) {
    const bool was = quiet_;
    quiet_ = true;
    SetWindowTextW(control(fieldId(field)), wide(text).c_str());
    quiet_ = was;
}

void CompanionWindow::addPreset(Field field, const std::string& text) {
    SendMessageW(control(fieldId(field)), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(wide(text).c_str()));
}

void CompanionWindow::setPresets(Field field, const std::vector<std::string>& texts) {
    const HWND list = control(fieldId(field));
    const std::wstring kept = windowText(list);
    const bool was = quiet_;
    quiet_ = true;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& text : texts)
        addPreset(field, text);
    SetWindowTextW(list, kept.c_str());
    quiet_ = was;
}

void CompanionWindow::setFieldEnabled(Field field, bool enabled) {
    const HWND shown = control(fieldId(field));
    EnableWindow(shown, enabled ? TRUE : FALSE);
    EnableWindow(GetWindow(shown, GW_HWNDPREV), enabled ? TRUE : FALSE);  // its label
}

void CompanionWindow::setLabel(Field field, const std::string& label) {
    SetWindowTextW(GetWindow(control(fieldId(field)), GW_HWNDPREV), wide(label).c_str());
}

void CompanionWindow::setProblem(Field, const std::string&) {
    // The line under the fields says it; the field keeps its label as its name.
}

bool CompanionWindow::syncChecked() const {
    return SendMessageW(control(IDC_C_SYNC), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CompanionWindow::setSyncChecked(bool checked) {
    SendMessageW(control(IDC_C_SYNC), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CompanionWindow::setSyncEnabled(bool enabled) {
    EnableWindow(control(IDC_C_SYNC), enabled ? TRUE : FALSE);
}

void CompanionWindow::setSyncTip(const std::string& tip) {
    std::wstring shown = wide(tip);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = window_;
    info.uId = reinterpret_cast<UINT_PTR>(control(IDC_C_SYNC));
    info.lpszText = shown.data();
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

void CompanionWindow::addFamily(const std::string& text) {
    SendMessageW(control(IDC_C_FAMILY), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(wide(text).c_str()));
}

bool CompanionWindow::allRatesChecked() const {
    return SendMessageW(control(IDC_C_ALL_RATES), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CompanionWindow::setAllRatesChecked(bool checked) {
    SendMessageW(control(IDC_C_ALL_RATES), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int CompanionWindow::familyIndex() const {
    return static_cast<int>(SendMessageW(control(IDC_C_FAMILY), CB_GETCURSEL, 0, 0));
}

void CompanionWindow::setFamilyIndex(int index) {
    SendMessageW(control(IDC_C_FAMILY), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CompanionWindow::setLine(Line line, const std::string& text, bool problem) {
    problems_[static_cast<std::size_t>(line)] = problem;
    const HWND shown = control(IDC_C_LINE_INPUTS + static_cast<int>(line));
    std::wstring lines = wide(text);
    for (std::size_t at = lines.find(L'\n'); at != std::wstring::npos;
         at = lines.find(L'\n', at + 2))
        lines.insert(at, 1, L'\r');
    SetWindowTextW(shown, lines.c_str());
    InvalidateRect(shown, nullptr, TRUE);
}

void CompanionWindow::showGrid(Tab tab, const velmiro::report::Grid& grid) {
    velmiro::report::Grid& kept = grids_[static_cast<std::size_t>(tab)];
    const HWND view = list(tab);
    const bool newColumns = grid.headers != kept.headers;
    const bool reshaped = newColumns || grid.rows.size() != kept.rows.size();
    kept = grid;
    if (newColumns) {
        while (SendMessageW(view, LVM_DELETECOLUMN, 0, 0) != FALSE) {
        }
        for (std::size_t c = 0; c < kept.headers.size(); ++c) {
            std::wstring title = wide(kept.headers[c]);
            LVCOLUMNW column{};
            column.mask = LVCF_TEXT | LVCF_FMT;
            column.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
            column.pszText = title.data();
            SendMessageW(view, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
        }
    }
    // While typing the shape stays: the selection and the scroll position with it.
    SendMessageW(view, LVM_SETITEMCOUNT, kept.rows.size(),
                 reshaped ? 0 : LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    if (reshaped) {  // each column as wide as its widest text, in bold
        const HDC dc = GetDC(view);
        const HGDIOBJ old = SelectObject(dc, bold_);
        const auto width = [dc](const std::string& text) {
            const std::wstring shown = wide(text);
            SIZE size{};
            GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &size);
            return size.cx;
        };
        for (std::size_t c = 0; c < kept.headers.size(); ++c) {
            LONG widest = width(kept.headers[c]);
            for (const velmiro::report::Row& row : kept.rows)
                widest = std::max(widest, c < row.size() ? width(row[c].text) : 0);
            SendMessageW(view, LVM_SETCOLUMNWIDTH, c, widest + scaled(16));
        }
        SelectObject(dc, old);
        ReleaseDC(view, dc);
    }
    InvalidateRect(view, nullptr, FALSE);
}

std::vector<int> CompanionWindow::selectedRows(Tab tab) const {
    std::vector<int> rows;
    int at = -1;
    while ((at = static_cast<int>(SendMessageW(list(tab), LVM_GETNEXTITEM, static_cast<WPARAM>(at),
                                               LVNI_SELECTED))) >= 0)
        rows.push_back(at);
    return rows;
}

void CompanionWindow::clearSelection(Tab tab) {
    const bool was = quiet_;
    quiet_ = true;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    SendMessageW(list(tab), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
    quiet_ = was;
}

CompanionWindow::Tab CompanionWindow::currentTab() const {
    return static_cast<Tab>(SendMessageW(control(IDC_C_TABS), TCM_GETCURSEL, 0, 0));
}

void CompanionWindow::setCurrentTab(Tab tab) {
    SendMessageW(control(IDC_C_TABS), TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    showPage();
}

void CompanionWindow::setHeaderButton(const std::string& text, bool enabled) {
    SetWindowTextW(control(IDC_C_HEADER), wide(text).c_str());
    EnableWindow(control(IDC_C_HEADER), enabled ? TRUE : FALSE);
}

void CompanionWindow::setExportEnabled(bool enabled) {
    EnableWindow(control(IDC_C_EXPORT), enabled ? TRUE : FALSE);
}

// In pixels at 96 dots per inch, so that a size kept on one screen fits another.
velmiro::form::Size CompanionWindow::windowSize() const {
    RECT client{};
    GetClientRect(window_, &client);
    return {MulDiv(client.right, 96, static_cast<int>(dpi_)),
            MulDiv(client.bottom, 96, static_cast<int>(dpi_))};
}

void CompanionWindow::resizeWindow(velmiro::form::Size size) {
    RECT outer{0, 0, scaled(size.width), scaled(size.height)};
    AdjustWindowRectExForDpi(&outer, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT, dpi_);
    SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CompanionWindow::copyToClipboard(const std::string& text) {
    const std::wstring shown = wide(text);
    const std::size_t bytes = (shown.size() + 1) * sizeof(wchar_t);
    if (OpenClipboard(window_) == FALSE)
        return;
    EmptyClipboard();
    if (const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::memcpy(GlobalLock(memory), shown.c_str(), bytes);
        GlobalUnlock(memory);
        if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
            GlobalFree(memory);
    }
    CloseClipboard();
}

logic::Saved CompanionWindow::saveFile(const std::string& fileName, const std::string& bytes) {
    logic::Saved saved;
    wchar_t path[MAX_PATH] = {};
    wcsncpy(path, wide(fileName).c_str(), MAX_PATH - 1);
    const std::wstring title = wide(logic::exportName);
    std::wstring filter = wide(logic::exportFilter) + L'\0' + L"*.csv" + L'\0';
    const wchar_t* home = _wgetenv(L"USERPROFILE");
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = home;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (GetSaveFileNameW(&dialog) == FALSE)
        return saved;
    saved.path = utf8(path);
    // Whole or not at all: written beside the file, then put in its place.
    const std::wstring temporary = std::wstring(path) + L".velmiro-tmp";
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) != FALSE &&
                    written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    const bool placed =
        ok && MoveFileExW(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!placed) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        wchar_t message[256] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, message, 255, nullptr);
        saved.error = utf8(message);
    }
    saved.outcome = placed ? logic::Saved::Outcome::Saved : logic::Saved::Outcome::Failed;
    return saved;
}

LRESULT CompanionWindow::notify(const NMHDR& header) {
    const int id = static_cast<int>(header.idFrom);
    const bool isList = id >= IDC_C_LIST_MODES && id <= IDC_C_LIST_LINK;
    if (id == IDC_C_TABS && header.code == TCN_SELCHANGE) {
        showPage();
        if (logic_)
            logic_->tabChanged();
        return 0;
    }
    if (!isList)
        return 0;
    const auto tab = static_cast<Tab>(id - IDC_C_LIST_MODES);
    const auto& grid = grids_[static_cast<std::size_t>(tab)];
    switch (header.code) {
        case LVN_GETDISPINFOW: {
            auto& item = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header)).item;
            const auto row = static_cast<std::size_t>(item.iItem);
            const auto column = static_cast<std::size_t>(item.iSubItem);
            if ((item.mask & LVIF_TEXT) != 0 && row < grid.rows.size() &&
                column < grid.rows[row].size()) {
                wcsncpy(item.pszText, wide(grid.rows[row][column].text).c_str(),
                        static_cast<std::size_t>(item.cchTextMax) - 1);
                item.pszText[item.cchTextMax - 1] = L'\0';
            }
            return 0;
        }
        case NM_CUSTOMDRAW:
            return drawCell(reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header)));
        case LVN_ITEMCHANGED:
        case LVN_ODSTATECHANGED:
            if (!quiet_ && logic_)
                logic_->selectionChanged();
            return 0;
        case NM_DBLCLK: {
            const int row = reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
            if (tab == Tab::Crystals && row >= 0 && logic_)
                logic_->crystalChosen(row);
            return 0;
        }
        case LVN_KEYDOWN:
            if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == 'C' &&
                GetKeyState(VK_CONTROL) < 0 && logic_)
                logic_->copyRows(tab);
            return 0;
        default:
            return 0;
    }
}

// The best mode in bold, each deviation in its verdict's colour where that reads.
LRESULT CompanionWindow::drawCell(NMLVCUSTOMDRAW& draw) const {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        return CDRF_NOTIFYSUBITEMDRAW;
    if (draw.nmcd.dwDrawStage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM))
        return CDRF_DODEFAULT;
    const int id = static_cast<int>(draw.nmcd.hdr.idFrom);
    const auto& grid = grids_[static_cast<std::size_t>(id - IDC_C_LIST_MODES)];
    const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
    const auto column = static_cast<std::size_t>(draw.iSubItem);
    if (row >= grid.rows.size() || column >= grid.rows[row].size())
        return CDRF_DODEFAULT;
    const velmiro::report::Cell& cell = grid.rows[row][column];
    SelectObject(draw.nmcd.hdc, cell.best ? bold_ : font_);
    const bool selected =
        SendMessageW(draw.nmcd.hdr.hwndFrom, LVM_GETITEMSTATE, row, LVIS_SELECTED) != 0;
    draw.clrText = selected || cell.tone == Tone::Plain
                       ? CLR_DEFAULT
                       : readable(cell.tone == Tone::Within ? velmiro::form::withinGreen
                                                            : velmiro::form::outsideRed);
    return CDRF_NEWFONT;
}

}  // namespace win32
