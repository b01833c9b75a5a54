// The companion window: every mode of the generator for a crystal and a rate,
// a datasheet table over many rates, and the common crystals that fit. Built
// only when first asked for.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "velmiro/calc.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
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
    void build();
    void restoreSettings();
    void saveSettings() const;
    void recolour();
    void guarded(const std::function<void()>& work);
    const velmiro::ModeResult* headerMode() const;

    forms::Runtime& runtime_;
    QString settingsFile_;
    bool placed_ = false;

    QComboBox* crystal_ = nullptr;
    QComboBox* rate_ = nullptr;
    QDoubleSpinBox* tolerance_ = nullptr;
    QDoubleSpinBox* clockError_ = nullptr;
    QCheckBox* sync_ = nullptr;
    QLabel* crystalProblem_ = nullptr;
    QLabel* rateProblem_ = nullptr;
    QTabWidget* tabs_ = nullptr;

    QTableView* modesView_ = nullptr;
    QTableView* tableView_ = nullptr;
    QTableView* crystalsView_ = nullptr;
    GridModel* modesModel_ = nullptr;
    GridModel* tableModel_ = nullptr;
    GridModel* crystalsModel_ = nullptr;

    QLineEdit* tableRates_ = nullptr;
    QLabel* tableRatesProblem_ = nullptr;
    QLineEdit* crystalRates_ = nullptr;
    QLineEdit* minimum_ = nullptr;
    QLineEdit* maximum_ = nullptr;
    QLabel* crystalRatesProblem_ = nullptr;
    QLabel* rangeProblem_ = nullptr;

    QLineEdit* prefix_ = nullptr;
    QLabel* prefixProblem_ = nullptr;
    QPushButton* copyHeader_ = nullptr;
    QPushButton* export_ = nullptr;

    // What the tabs show, kept for the header and the export.
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace companion
