// What the Win32 companion and its driver agree on: its window class and each
// control's id, as a dialog's IDC_ ids.
#pragma once

namespace win32 {

inline constexpr wchar_t companionClass[] = L"Velmiro.Companion";

// The companion's controls, as a dialog's IDC_ ids.
enum CompanionId : int {
    IDC_C_CRYSTAL = 300,  // the fields, by companion::Field
    IDC_C_SYNC = 320,
    IDC_C_FAMILY,
    IDC_C_TABS,
    IDC_C_LIST_MODES,  // the lists, by companion::Tab
    IDC_C_LIST_TABLE,
    IDC_C_LIST_CRYSTALS,
    IDC_C_LIST_LINK,
    IDC_C_LINE_INPUTS,  // the lines, by companion::Line
    IDC_C_LINE_TABLE,
    IDC_C_LINE_CRYSTALS,
    IDC_C_LINE_STATUS,
    IDC_C_LINE_LINK,
    IDC_C_HEADER,
    IDC_C_EXPORT,
    IDC_C_ALL_RATES,  // Collegamento's "Tutti i baud rate standard"
};

}  // namespace win32
