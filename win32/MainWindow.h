// The main window as a native Win32 window: standard controls placed from the
// layout, over the form logic. It copies texts in and out, paints the results in
// their colour roles, shows the logic's boxes and delivers the user's clicks.
#pragma once

#ifndef NOMINMAX  // mingw's libstdc++ defines it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "Companion.h"

#include "Fonts.h"
#include "velmiro/form.h"

namespace win32 {

class MainWindow final : public velmiro::form::View {
  public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates the window and its controls, runs the start-up logic and shows it.
    bool open(int show);
    [[nodiscard]] HWND handle() const { return window_; }

    // Opens the companion on a tab with this window's crystal and rate, or
    // brings the one open forward: there is only ever one.
    void openCompanion(velmiro::companion::Tab tab);
    // The companion, while it is open.
    [[nodiscard]] CompanionWindow* companion() const;

    // velmiro::form::View
    [[nodiscard]] velmiro::form::Size outerSize() const override;
    [[nodiscard]] velmiro::form::Size screenSize() const override;
    void moveTo(int left, int top) override;
    void addListItem(velmiro::form::Combo combo, const std::string& text) override;
    void setListIndex(velmiro::form::Combo combo, int index) override;
    [[nodiscard]] std::string comboText(velmiro::form::Combo combo) const override;
    [[nodiscard]] bool isChecked(int box) const override;
    void setChecked(int box, bool checked) override;
    void setCaption(int box, const std::string& text) override;
    void setToolTip(int box, const std::string& text) override;
    void setEnabled(int box, bool enabled) override;
    void setResultText(velmiro::form::Result result, const std::string& text) override;
    void setResultColour(velmiro::form::Result result, velmiro::form::Colour colour) override;
    void showMessage(const std::string& prompt, const std::string& title,
                     velmiro::form::BoxIcon icon) override;

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void addToolTips();
    void showMenu(LPARAM at);
    // Fits the fonts and places every control for a number of dots per inch.
    void layOut(UINT dpi);
    void readColours();
    void drawChip(const DRAWITEMSTRUCT& item) const;
    [[nodiscard]] HWND control(int id) const;
    [[nodiscard]] HWND comboOf(velmiro::form::Combo combo) const;
    [[nodiscard]] HWND boxOf(int box) const;
    [[nodiscard]] HWND resultOf(velmiro::form::Result result) const;

    HINSTANCE instance_;
    HWND window_ = nullptr;
    HWND toolTip_ = nullptr;
    velmiro::form::Form form_;
    UINT dpi_ = 96;

    Fonts fonts_;
    HBITMAP chip_ = nullptr;
    HBITMAP chip2x_ = nullptr;

    std::array<velmiro::form::Colour, 3> roles_{};
    COLORREF resultBackground_ = RGB(255, 255, 255);
    COLORREF resultText_ = RGB(0, 0, 0);
    HBRUSH resultBrush_ = nullptr;
    HWND focus_ = nullptr;
    std::unique_ptr<CompanionWindow>
        companion_;  // where the focus returns when the window is activated again
};

}  // namespace win32
