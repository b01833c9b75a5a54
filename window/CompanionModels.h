// The one read-only model that shows any of report's grids, and the colours
// of its tones.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QString>

#include "velmiro/grid.h"

class QItemSelectionModel;

namespace companion {

// The grids are report's, with std::string texts; the model shows them.
using velmiro::report::Cell;
using velmiro::report::crystalsGrid;
using velmiro::report::Grid;
using velmiro::report::modesGrid;
using velmiro::report::Row;
using velmiro::report::tableGrid;
using velmiro::report::Tone;

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
