// The companion window: every mode of the generator for a crystal and a rate,
// a datasheet table over many rates, and the common crystals that fit. Built
// only when first asked for. The window holds the inputs the tabs share, the
// tabs, the actions under them, the theme and the placement.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace forms {
class Runtime;
}

namespace companion {

class CrystalsTab;
class MessageLine;
class ModesTab;
class ResultTab;
class SettingsTable;
class TableTab;
struct Inputs;

enum class Tab { Modes = 0, Table = 1, Crystals = 2 };

class Companion : public QWidget {
    Q_OBJECT

  public:
    // settingsFile: an INI file instead of the user's own, for tests.
    explicit Companion(forms::Runtime& runtime, QWidget* parent = nullptr,
                       const QString& settingsFile = {});
    ~Companion() override;

    void showTab(Tab tab);
    // Takes a crystal and a rate typed elsewhere; a text that does not read is
    // left out and the companion keeps its own.
    void takeInputs(const QString& crystal, const QString& rate);

    // Recomputes all three tabs from the inputs.
    void recompute();

    void copyHeader();
    void exportCsv();
    void copySelection();

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildInputs();
    void buildActions();
    void connectAll();
    Inputs readInputs();
    void inputsChanged();
    // A part that reads picks its family.
    void deviceEdited();
    void updateActions();
    void recolour();
    bool guarded(const std::function<void()>& work);
    ResultTab* currentTab() const;

    forms::Runtime& runtime_;
    QString settingsFile_;
    bool placed_ = false;

    QComboBox* crystal_ = nullptr;
    QComboBox* rate_ = nullptr;
    QLineEdit* tolerance_ = nullptr;
    QLineEdit* clockError_ = nullptr;
    QCheckBox* sync_ = nullptr;
    QComboBox* family_ = nullptr;
    QLineEdit* device_ = nullptr;
    MessageLine* inputMessages_ = nullptr;

    QTabWidget* tabs_ = nullptr;
    ModesTab* modes_ = nullptr;
    TableTab* table_ = nullptr;
    CrystalsTab* crystals_ = nullptr;

    QLineEdit* prefix_ = nullptr;
    QPushButton* copyHeader_ = nullptr;
    QPushButton* export_ = nullptr;
    MessageLine* status_ = nullptr;

    std::unique_ptr<SettingsTable> settings_;
};

}  // namespace companion
