// The window's three fonts (text, bold, the register value's large bold), fitted
// to the layout by the form logic's policy: this only measures texts in them and
// hands them to the controls.
#pragma once

#ifndef NOMINMAX  // mingw's libstdc++ defines it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "velmiro/fontfit.h"

namespace win32 {

class Fonts final : public velmiro::form::FontView {
  public:
    Fonts() = default;
    ~Fonts() override;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;

    // Makes the fonts for `dpi` in which every text fits, and gives each child of
    // `window` its own; the face is chosen the first time.
    void fit(HWND window, UINT dpi);
    // The plain text font, for the tooltips.
    [[nodiscard]] HFONT text() const { return font_; }

    // velmiro::form::FontView
    [[nodiscard]] double room(velmiro::form::Fitted control, int index) const override;
    [[nodiscard]] double width(const velmiro::form::FitText& text) const override;
    void scaleFonts(double scale) override;

  private:
    void chooseFace(HDC dc);
    void release();

    std::wstring face_;
    std::string faceName_;  // the same, in UTF-8
    HWND window_ = nullptr;
    HDC dc_ = nullptr;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT bold_ = nullptr;
    HFONT large_ = nullptr;
};

}  // namespace win32
