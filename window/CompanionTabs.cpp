#include "CompanionTabs.h"

#include <QHeaderView>
#include <QTableView>

#include <algorithm>

#include "CompanionModels.h"

namespace companion {

MessageLine::MessageLine(QWidget* parent, int lines) : QLabel(parent) {
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The same room, always; the width is whatever the layout gives.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(lines * fontMetrics().lineSpacing() + 2);
}

void MessageLine::show(const QString& text, bool problem) {
    problem_ = problem;
    setText(text);
    refresh();
}

void MessageLine::setColours(const QColor& problem, const QColor& plain) {
    problemColour_ = problem;
    plainColour_ = plain;
    refresh();
}

void MessageLine::refresh() {
    QPalette own = palette();
    own.setColor(QPalette::WindowText, problem_ ? problemColour_ : plainColour_);
    setPalette(own);
}

QTableView* gridView(GridModel* model, const QString& name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setAccessibleName(name);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);  // Tab leaves the table, as everywhere else
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    return view;
}

void fitGrid(QTableView& view, GridModel& model, const velmiro::report::Grid& grid) {
    const bool reshaped =
        grid.headers != model.grid().headers || grid.rows.size() != model.grid().rows.size();
    model.setGrid(grid);
    if (reshaped) {
        view.resizeColumnsToContents();
        return;
    }
    QHeaderView* header = view.horizontalHeader();
    const QAbstractItemView& cells = view;  // where the hint is public
    for (int column = 0; column < model.columnCount(); ++column) {
        const int wanted =
            std::max(cells.sizeHintForColumn(column), header->sectionSizeHint(column));
        if (wanted > header->sectionSize(column))
            header->resizeSection(column, wanted);
    }
}

}  // namespace companion
