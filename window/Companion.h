// The companion window in Qt: a view over the companion's logic
// (velmiro/companion.h). It copies texts in and out, fills the grids, applies
// the colour roles and delivers the user's events. Built only when first
// asked for.
#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <memory>

#include "velmiro/companion.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace forms {
class Runtime;
}

namespace companion {

class GridModel;
class MessageLine;

using Tab = velmiro::companion::Tab;
using Field = velmiro::companion::Field;

class Companion : public QWidget, private velmiro::companion::View {
    Q_OBJECT

  public:
    // settingsFile: an INI file instead of the user's own, for tests.
    explicit Companion(forms::Runtime& runtime, QWidget* parent = nullptr,
                       const QString& settingsFile = {});
    ~Companion() override;

    void showTab(Tab tab);
    // The logic, for what opens the window: the main window's inputs.
    velmiro::companion::Companion& logic() { return *logic_; }

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildInputs();
    QWidget* buildPage(Tab tab);
    QWidget* buildLink(QWidget* page, QGridLayout& layout, QTableView* grid);
    void buildActions();
    void connectAll();
    void recolour();
    QWidget* field(Field field) const;

    // velmiro::companion::View
    std::string text(Field field) const override;
    void setText(Field field, const std::string& text) override;
    void addPreset(Field field, const std::string& text) override;
    void setProblem(Field field, const std::string& problem) override;
    void setPresets(Field field, const std::vector<std::string>& texts) override;
    void setFieldEnabled(Field field, bool enabled) override;
    void setLabel(Field field, const std::string& label) override;
    bool syncChecked() const override;
    void setSyncChecked(bool checked) override;
    void setSyncEnabled(bool enabled) override;
    void setSyncTip(const std::string& tip) override;
    bool allRatesChecked() const override;
    void setAllRatesChecked(bool checked) override;
    void addFamily(const std::string& text) override;
    int familyIndex() const override;
    void setFamilyIndex(int index) override;
    void setLine(velmiro::companion::Line line, const std::string& text, bool problem) override;
    void showGrid(Tab tab, const velmiro::report::Grid& grid) override;
    std::vector<int> selectedRows(Tab tab) const override;
    void clearSelection(Tab tab) override;
    Tab currentTab() const override;
    void setCurrentTab(Tab tab) override;
    void setHeaderButton(const std::string& text, bool enabled) override;
    void setExportEnabled(bool enabled) override;
    velmiro::form::Size windowSize() const override;
    void resizeWindow(velmiro::form::Size size) override;
    void copyToClipboard(const std::string& text) override;
    velmiro::companion::Saved saveFile(const std::string& fileName,
                                       const std::string& bytes) override;

    forms::Runtime& runtime_;
    QString settingsFile_;
    bool placed_ = false;
    bool quiet_ = false;  // the logic is writing: no events back to it

    QComboBox* crystal_ = nullptr;
    QComboBox* rate_ = nullptr;
    QComboBox* peer_ = nullptr;
    QComboBox* clock_ = nullptr;
    QComboBox* source_ = nullptr;
    QLabel* crystalLabel_ = nullptr;
    std::array<QLineEdit*, velmiro::companion::fieldCount> edits_{};  // none for the lists
    QCheckBox* sync_ = nullptr;
    QComboBox* family_ = nullptr;
    QCheckBox* allRates_ = nullptr;
    std::array<MessageLine*, velmiro::companion::lineCount> lines_{};

    QTabWidget* tabs_ = nullptr;
    std::array<QTableView*, velmiro::companion::tabCount> views_{};
    std::array<GridModel*, velmiro::companion::tabCount> models_{};

    QPushButton* copyHeader_ = nullptr;
    QPushButton* export_ = nullptr;

    std::unique_ptr<velmiro::companion::Companion> logic_;
};

}  // namespace companion
