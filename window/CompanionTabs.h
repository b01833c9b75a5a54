// The pieces of the companion's Qt view: the message lines and the tables.
#pragma once

#include <QLabel>
#include <QString>

class QTableView;
class QWidget;

namespace velmiro::report {
struct Grid;
}

namespace companion {

class GridModel;

// Inline messages under a group of fields. The line keeps its room when empty
// and never widens the layout, so nothing moves when a message appears.
class MessageLine : public QLabel {
  public:
    explicit MessageLine(QWidget* parent, int lines = 2);

    // A problem, drawn as one, or a plain note.
    void show(const QString& text, bool problem);
    void setColours(const QColor& problem, const QColor& plain);

  private:
    void refresh();
    bool problem_ = false;
    QColor problemColour_, plainColour_;
};

// A read-only table of rows, as screen readers name it.
QTableView* gridView(GridModel* model, const QString& name, QWidget* parent);

// Shows new results; the columns are fitted when the table changes shape and
// only widen while the user types.
void fitGrid(QTableView& view, GridModel& model, const velmiro::report::Grid& grid);

}  // namespace companion
