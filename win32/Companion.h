// "Velmiro – tutti i modi" as a native Win32 window: a view over the companion
// logic. It makes standard controls (edit fields, combo boxes, a tab control,
// list views in report mode), copies texts in and out, fills the lists and
// delivers the user's changes; the logic decides everything else.
#pragma once

#ifndef NOMINMAX  // mingw's libstdc++ defines it already
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>

#include "companion_ids.h"
#include "velmiro/companion.h"
#include "velmiro/grid.h"

namespace win32 {

class CompanionWindow final : public velmiro::companion::View {
  public:
    using Field = velmiro::companion::Field;
    using Tab = velmiro::companion::Tab;
    using Line = velmiro::companion::Line;

    // `owner` is the main window, or null when the companion is alone and its
    // closing ends the program.
    CompanionWindow(HINSTANCE instance, HWND owner);
    ~CompanionWindow() override;
    CompanionWindow(const CompanionWindow&) = delete;
    CompanionWindow& operator=(const CompanionWindow&) = delete;

    bool open(Tab tab);
    [[nodiscard]] HWND handle() const { return window_; }
    velmiro::companion::Companion& logic() { return *logic_; }

    // velmiro::companion::View
    [[nodiscard]] std::string text(Field field) const override;
    void setText(Field field, const std::string& text) override;
    void addPreset(Field field, const std::string& text) override;
    void setProblem(Field field, const std::string& problem) override;
    void setPresets(Field field, const std::vector<std::string>& texts) override;
    void setFieldEnabled(Field field, bool enabled) override;
    void setLabel(Field field, const std::string& label) override;
    [[nodiscard]] bool syncChecked() const override;
    void setSyncChecked(bool checked) override;
    void setSyncEnabled(bool enabled) override;
    void setSyncTip(const std::string& tip) override;
    [[nodiscard]] bool allRatesChecked() const override;
    void setAllRatesChecked(bool checked) override;
    void addFamily(const std::string& text) override;
    [[nodiscard]] int familyIndex() const override;
    void setFamilyIndex(int index) override;
    void setLine(Line line, const std::string& text, bool problem) override;
    void showGrid(Tab tab, const velmiro::report::Grid& grid) override;
    [[nodiscard]] std::vector<int> selectedRows(Tab tab) const override;
    void clearSelection(Tab tab) override;
    [[nodiscard]] Tab currentTab() const override;
    void setCurrentTab(Tab tab) override;
    void setHeaderButton(const std::string& text, bool enabled) override;
    void setExportEnabled(bool enabled) override;
    [[nodiscard]] velmiro::form::Size windowSize() const override;
    void resizeWindow(velmiro::form::Size size) override;
    void copyToClipboard(const std::string& text) override;
    velmiro::companion::Saved saveFile(const std::string& fileName,
                                       const std::string& bytes) override;

  private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    void layOut();
    void makeFonts();
    void showPage();
    void command(int id, int code);
    LRESULT notify(const NMHDR& header);
    LRESULT drawCell(NMLVCUSTOMDRAW& draw) const;
    [[nodiscard]] HWND control(int id) const { return GetDlgItem(window_, id); }
    [[nodiscard]] HWND list(Tab tab) const;
    [[nodiscard]] int scaled(int pixels) const {
        return MulDiv(pixels, static_cast<int>(dpi_), 96);
    }

    HINSTANCE instance_;
    HWND owner_;
    HWND window_ = nullptr;
    HWND toolTip_ = nullptr;
    UINT dpi_ = 96;
    HFONT font_ = nullptr;
    HFONT bold_ = nullptr;
    bool quiet_ = false;  // the logic's own changes raise no events
    std::array<velmiro::report::Grid, velmiro::companion::tabCount> grids_;
    std::array<bool, velmiro::companion::lineCount> problems_{};
    std::unique_ptr<velmiro::companion::Companion> logic_;
};

}  // namespace win32
