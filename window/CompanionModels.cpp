#include "CompanionModels.h"

#include <QFont>
#include <QItemSelectionModel>
#include <QStringList>

#include <algorithm>
#include <set>

#include "forms.h"
#include "presets.h"

namespace companion {

namespace {

QString text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

QColor toneColor(Tone tone, const QColor& background) {
    if (tone == Tone::Plain)
        return {};
    QColor color =
        QColor::fromRgb(tone == Tone::Within ? presets::withinGreen : presets::outsideRed);
    // On a dark background the same hue, lighter, until it reads; on a light
    // one, darker. Either ends at white or black, which always do.
    const bool dark =
        forms::contrastRatio(Qt::white, background) > forms::contrastRatio(Qt::black, background);
    for (int step = 0; step < 40 && forms::contrastRatio(color, background) < 3.0; ++step) {
        const QColor hsl = color.toHsl();
        const int lightness = std::clamp(hsl.lightness() + (dark ? 12 : -12), 0, 255);
        color = QColor::fromHsl(hsl.hslHue(), hsl.hslSaturation(), lightness);
    }
    return color;
}

void GridModel::setGrid(Grid grid) {
    const bool sameShape = grid.headers == grid_.headers && grid.rows.size() == grid_.rows.size();
    if (!sameShape)
        beginResetModel();
    grid_ = std::move(grid);
    if (!sameShape) {
        endResetModel();
        return;
    }
    // Same shape while typing: the selection and the scroll position stay.
    if (!grid_.rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GridModel::setBackground(const QColor& background) {
    background_ = background;
    if (!grid_.rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::ForegroundRole});
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(grid_.headers.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = grid_.rows[static_cast<std::size_t>(index.row())];
    if (static_cast<std::size_t>(index.column()) >= row.size())
        return {};
    const Cell& cell = row[static_cast<std::size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return text(cell.text);
        case Qt::ForegroundRole:
            return cell.tone == Tone::Plain ? QVariant()
                                            : QVariant(toneColor(cell.tone, background_));
        case Qt::FontRole:
            if (cell.best) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (cell.number ? Qt::AlignRight : Qt::AlignLeft));
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole:
            if (cell.best)
                return text(cell.text) + QStringLiteral(", migliore");
            return role == Qt::AccessibleTextRole ? QVariant(text(cell.text)) : QVariant();
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return text(grid_.headers[static_cast<std::size_t>(section)]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString GridModel::selectedText(const QItemSelectionModel& selection) const {
    // Rows in table order, whichever order they were selected in.
    std::set<int> rows;
    for (const QModelIndex& index : selection.selectedIndexes())
        rows.insert(index.row());
    QString out;
    for (const int row : rows) {
        if (row < 0 || row >= rowCount())
            continue;
        QStringList cells;
        for (const Cell& cell : grid_.rows[static_cast<std::size_t>(row)])
            cells << text(cell.text);
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

}  // namespace companion
