#include "Fonts.h"

#include <cmath>

#include "Layout.h"
#include "text.h"

namespace win32 {

namespace {

using velmiro::form::Fitted;

int CALLBACK faceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(HDC dc, const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, faceFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

HFONT makeFont(const std::wstring& face, double points, bool bold, UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(std::lround(points * dpi / 72.0));
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

// The control a fitted text stands in.
layout::ControlId idOf(Fitted control, int index) {
    const auto at = static_cast<std::size_t>(index);
    switch (control) {
        case Fitted::Caption:
            return captionIds[at];
        case Fitted::Box:
            return boxIds[at];
        case Fitted::Combo:
            return comboIds[at];
        case Fitted::Result:
            return resultIds[at];
        case Fitted::Button:
            break;
    }
    return layout::IDC_CMDCALCOLA;
}

}  // namespace

Fonts::~Fonts() {
    release();
}

void Fonts::release() {
    for (HFONT font : {font_, bold_, large_}) {
        if (font != nullptr)
            DeleteObject(font);
    }
    font_ = bold_ = large_ = nullptr;
}

void Fonts::chooseFace(HDC dc) {
    const char* chosen = velmiro::form::chooseFace(
        [dc](std::string_view face) { return installed(dc, wide(face)); });
    if (chosen != nullptr) {
        faceName_ = chosen;
        face_ = wide(chosen);
        return;
    }
    // None of the policy's faces: the one of the system's message boxes.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    face_ = metrics.lfMessageFont.lfFaceName;
    faceName_ = utf8(face_);
}

void Fonts::fit(HWND window, UINT dpi) {
    window_ = window;
    dpi_ = dpi;
    dc_ = GetDC(window);
    if (face_.empty())
        chooseFace(dc_);
    scaleFonts(1.0);
    velmiro::form::fitFonts(*this, faceName_);
    ReleaseDC(window, dc_);
    dc_ = nullptr;
    for (const layout::Control& c : layout::controls) {
        const HFONT font = c.points > 0 ? large_ : c.bold ? bold_ : font_;
        SendMessageW(GetDlgItem(window, c.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
}

void Fonts::scaleFonts(double scale) {
    release();
    font_ = makeFont(face_, velmiro::form::layoutPoints * scale, false, dpi_);
    bold_ = makeFont(face_, velmiro::form::layoutPoints * scale, true, dpi_);
    large_ = makeFont(face_, velmiro::form::largePoints * scale, true, dpi_);
}

double Fonts::room(Fitted fitted, int index) const {
    const layout::Control& c = control(idOf(fitted, index));
    const auto scaled = [this](int at96) { return MulDiv(at96, static_cast<int>(dpi_), 96); };
    const int whole = pixels(c.width, dpi_);
    switch (fitted) {
        case Fitted::Box:  // the box and the gap after it
            return whole - GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi_) - scaled(4);
        case Fitted::Combo:  // the button, the frame, the edit's margins
            return whole - GetSystemMetricsForDpi(SM_CXVSCROLL, dpi_) - scaled(2 * 3 + 4);
        case Fitted::Button:
            return whole - scaled(8);
        case Fitted::Result:  // a result keeps a pixel clear of its frame on either side
            return whole - scaled(2) - 2;
        case Fitted::Caption:
            break;
    }
    return whole;
}

double Fonts::width(const velmiro::form::FitText& fit) const {
    const layout::Control& c = control(idOf(fit.control, fit.index));
    const std::wstring shown = wide(fit.text != nullptr ? fit.text : c.text);
    const HGDIOBJ old = SelectObject(dc_, c.points > 0 ? large_ : c.bold ? bold_ : font_);
    SIZE size{};
    GetTextExtentPoint32W(dc_, shown.c_str(), static_cast<int>(shown.size()), &size);
    SelectObject(dc_, old);
    return size.cx;
}

}  // namespace win32
