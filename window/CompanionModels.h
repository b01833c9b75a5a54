// The companion's three result tables as plain cells built from report's words,
// and the one read-only model that shows any of them.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

#include <span>

#include "velmiro/calc.h"
#include "velmiro/report.h"

class QItemSelectionModel;

namespace companion {

// Colour of a deviation: by its verdict, or none where there is nothing to judge.
enum class Tone { Plain, Within, Outside };

struct Cell {
    QString text;
    Tone tone = Tone::Plain;
    bool best = false;  // the best mode: bold, and "migliore" for screen readers
    bool number = false;
};

using Row = QList<Cell>;

struct Grid {
    QStringList headers;
    QList<Row> rows;
};

// A mode as a column or cell names it: "011", or "BRGS 1" in a one-bit family.
QString modeTitle(const velmiro::Family& family, const velmiro::ModeInfo& mode);
// The columns of `velmiro-cli compare`, with the family's bits and registers;
// worstCase adds the widened deviation.
Grid modesGrid(const velmiro::Family& family, const velmiro::Comparison& modes, bool worstCase);
// A row per rate; n and deviation for each mode of the first row.
Grid tableGrid(const velmiro::Family& family, std::span<const velmiro::report::TableRow> rows);
// A row per crystal, in the order crystalsFor gives.
Grid crystalsGrid(const velmiro::Family& family, std::span<const std::int32_t> rates,
                  std::span<const velmiro::CrystalFit> fits);

// The deviation colours of the main window, made to read at 3:1 on `background`.
QColor toneColor(Tone tone, const QColor& background);

class GridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    void setGrid(Grid grid);
    const Grid& grid() const { return grid_; }
    // The background the coloured texts stand on; they are recoloured for it.
    void setBackground(const QColor& background);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The selected rows, each a tab-separated line.
    QString selectedText(const QItemSelectionModel& selection) const;

  private:
    Grid grid_;
    QColor background_ = Qt::white;
};

}  // namespace companion
