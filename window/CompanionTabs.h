// The companion's three tabs. Each owns its own inputs, its table and its CSV;
// the window gives them the inputs they share.
#pragma once

#include <QLabel>
#include <QList>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <ostream>
#include <vector>

#include "velmiro/calc.h"
#include "velmiro/grid.h"
#include "velmiro/report.h"

class QLineEdit;
class QTableView;

namespace companion {

class GridModel;
class SettingsTable;
using velmiro::report::Grid;

// What the fields above the tabs read as; none where a text does not read.
struct Inputs {
    std::optional<std::int32_t> crystal;
    std::optional<std::int32_t> rate;
    std::optional<velmiro::Judgement> judgement;
    velmiro::ModeChoice choice;
    // The family and the part; none when the part does not read.
    std::optional<velmiro::report::Port> port;
};

// Inline messages under a group of fields. The line keeps its room when empty
// and never widens the layout, so nothing moves when a message appears.
class MessageLine : public QLabel {
  public:
    MessageLine(QWidget* parent, int lines = 2);

    // The problem of one field, or none; `name` tells the fields apart on a
    // line that serves several. Screen readers hear it on the field too.
    void set(QWidget* field, const QString& name, const QString& problem);
    // A passing confirmation, shown while there is no problem.
    void note(const QString& text);
    void setColours(const QColor& problem, const QColor& plain);

  private:
    void refresh();
    struct Entry {
        QWidget* field;
        QString text;
    };
    QList<Entry> problems_;
    QString note_;
    QColor problemColour_, plainColour_;
};

class ResultTab : public QWidget {
    Q_OBJECT

  public:
    ResultTab(const QString& name, QWidget* parent);

    QTableView* view() const { return view_; }
    GridModel* model() const { return model_; }

    virtual void refresh(const Inputs& inputs) = 0;
    // Something to export.
    virtual bool ready() const = 0;
    virtual void writeCsv(std::ostream& out) const = 0;
    virtual QString csvName() const = 0;
    virtual void addSettings(SettingsTable& settings) = 0;
    // The tab's fields for the keyboard, in order, the table last.
    virtual QList<QWidget*> fields() const = 0;

    // After a failure: nothing shown, nothing to export.
    virtual void clear();
    void recolour(const QColor& base, const QColor& problem, const QColor& plain);

  signals:
    void edited();

  protected:
    // Shows new results; the columns are fitted when the table changes shape
    // and only widen while the user types.
    void showGrid(Grid grid);
    QLineEdit* lineEdit(const QString& text, const QString& name);

    GridModel* model_;
    QTableView* view_;
    MessageLine* messages_ = nullptr;
};

// Every mode for the crystal and the rate, as velmiro-cli compare.
class ModesTab : public ResultTab {
    Q_OBJECT

  public:
    explicit ModesTab(QWidget* parent);

    void refresh(const Inputs& inputs) override;
    bool ready() const override { return modes_.has_value(); }
    void writeCsv(std::ostream& out) const override;
    QString csvName() const override { return QStringLiteral("velmiro-modi.csv"); }
    void addSettings(SettingsTable&) override {}
    QList<QWidget*> fields() const override;
    void clear() override;

    // The mode a header is for: the one selected row, else the best.
    const velmiro::ModeResult* headerMode() const;
    // That mode as the family names it: "011", "BRGS 1".
    QString headerTitle() const;
    void writeHeader(std::ostream& out, const std::string& prefix) const;

  signals:
    void selectionChanged();

  private:
    velmiro::report::Query query_;
    std::optional<velmiro::Comparison> modes_;
};

// A datasheet table: a row per rate, as velmiro-cli table.
class TableTab : public ResultTab {
    Q_OBJECT

  public:
    explicit TableTab(QWidget* parent);

    void refresh(const Inputs& inputs) override;
    bool ready() const override { return !rows_.empty(); }
    void writeCsv(std::ostream& out) const override;
    QString csvName() const override { return QStringLiteral("velmiro-tabella.csv"); }
    void addSettings(SettingsTable& settings) override;
    QList<QWidget*> fields() const override;
    void clear() override;

  private:
    QLineEdit* rates_;
    velmiro::report::Query query_;
    std::vector<velmiro::report::TableRow> rows_;
};

// The common crystals that give every rate of a list, as velmiro-cli crystals.
class CrystalsTab : public ResultTab {
    Q_OBJECT

  public:
    explicit CrystalsTab(QWidget* parent);

    void refresh(const Inputs& inputs) override;
    bool ready() const override { return !rates_.empty(); }
    void writeCsv(std::ostream& out) const override;
    QString csvName() const override { return QStringLiteral("velmiro-quarzi.csv"); }
    void addSettings(SettingsTable& settings) override;
    QList<QWidget*> fields() const override;
    void clear() override;

  signals:
    // A double click or Enter on a crystal: its text, as the crystal field takes it.
    void crystalChosen(const QString& crystal);

  private:
    QLineEdit* ratesField_;
    QLineEdit* minimum_;
    QLineEdit* maximum_;
    velmiro::report::Port port_;
    velmiro::Judgement judgement_;
    std::vector<std::int32_t> rates_;  // empty until the rates and limits read
    std::vector<velmiro::CrystalFit> fits_;
};

}  // namespace companion
