#include "CompanionModels.h"

#include <QFont>
#include <QItemSelectionModel>

#include <algorithm>
#include <set>

#include "forms.h"
#include "presets.h"

namespace companion {

namespace {

namespace report = velmiro::report;

QString dash() {
    return QStringLiteral("—");
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Cell number(const QString& value) {
    return {value, Tone::Plain, false, true};
}

Cell decimal(const std::optional<double>& value, Tone tone = Tone::Plain) {
    return {value ? text(report::decimalText(*value, 2)) : dash(), tone, false, true};
}

Tone toneOf(const velmiro::ModeResult& r) {
    if (!r.verdict)
        return Tone::Plain;
    return *r.verdict == velmiro::Verdict::Ok ? Tone::Within : Tone::Outside;
}

Cell verdict(const velmiro::ModeResult& r) {
    return {r.verdict ? text(report::verdictText(*r.verdict)) : dash(), toneOf(r)};
}

Cell registerCell(const velmiro::ModeResult& r) {
    return number(text(report::registerText(r)));
}

// A deviation with its verdict in words too, not in colour alone.
Cell judgedDeviation(const velmiro::ModeResult& r) {
    Cell cell = decimal(r.deviationPercent, toneOf(r));
    if (r.verdict == velmiro::Verdict::OutOfTolerance)
        cell.text += QStringLiteral(" (fuori)");
    else if (r.verdict == velmiro::Verdict::Avoided)
        cell.text += QStringLiteral(" (errata)");
    return cell;
}

}  // namespace

QString modeTitle(const velmiro::Family& family, const velmiro::ModeInfo& mode) {
    // One bit: its name and value, "BRGS 1"; else the key of the three bits, "011".
    if (family.bits.size() == 1)
        return text(family.bits.front().name) + QLatin1Char(' ') + text(mode.key);
    return text(mode.key);
}

Grid modesGrid(const velmiro::Family& family, const velmiro::Comparison& modes, bool worstCase) {
    Grid grid;
    grid.headers << QStringLiteral("modo");
    for (const velmiro::BitColumn& bit : family.bits)
        grid.headers << text(bit.name);
    grid.headers << QStringLiteral("divisore") << QStringLiteral("n");
    for (const velmiro::RegisterName& column : family.columns)
        grid.headers << text(column.name);
    grid.headers << QStringLiteral("ottenuti") << QStringLiteral("scost. %");
    if (worstCase)
        grid.headers << QStringLiteral("peggiore %");
    grid.headers << QStringLiteral("esito");
    for (std::size_t i = 0; i < modes.modes.size(); ++i) {
        const velmiro::ModeResult& r = modes.modes[i];
        const bool best = modes.isBest(i);
        Row row{{text(r.mode->key) + (best ? QStringLiteral(" (migliore)") : QString())}};
        for (const velmiro::BitColumn& bit : family.bits)
            row << number(QString::number(r.mode->mode.*bit.value));
        row << number(QString::number(r.mode->divisor)) << registerCell(r);
        for (const velmiro::RegisterName& column : family.columns) {
            row << number(r.registerHolds()
                              ? text(report::registerHex(r.registerValue, column.part))
                              : dash());
        }
        row << decimal(r.achieved) << decimal(r.deviationPercent, toneOf(r));
        if (worstCase)
            row << decimal(r.worstCasePercent, toneOf(r));
        row << verdict(r);
        for (Cell& cell : row)
            cell.best = best;
        grid.rows << row;
    }
    return grid;
}

Grid tableGrid(const velmiro::Family& family, std::span<const report::TableRow> rows) {
    Grid grid;
    grid.headers << QStringLiteral("baud rate");
    if (rows.empty())
        return grid;
    for (const velmiro::ModeResult& r : rows.front().modes.modes) {
        grid.headers << modeTitle(family, *r.mode) + QStringLiteral(" n")
                     << modeTitle(family, *r.mode) + QStringLiteral(" scost. %");
    }
    for (const report::TableRow& source : rows) {
        Row row{number(QString::number(source.rate))};
        for (std::size_t i = 0; i < source.modes.modes.size(); ++i) {
            const velmiro::ModeResult& r = source.modes.modes[i];
            Cell n = registerCell(r);
            Cell deviation = judgedDeviation(r);
            n.best = deviation.best = source.modes.isBest(i);
            row << n << deviation;
        }
        grid.rows << row;
    }
    return grid;
}

Grid crystalsGrid(const velmiro::Family& family, std::span<const std::int32_t> rates,
                  std::span<const velmiro::CrystalFit> fits) {
    Grid grid;
    grid.headers << QStringLiteral("quarzo (Hz)") << QStringLiteral("peggiore %");
    // One column per rate asked for: the best mode, its n and its deviation.
    for (const std::int32_t rate : rates)
        grid.headers << QStringLiteral("%1 baud: modo, n, scost. %").arg(rate);
    for (const velmiro::CrystalFit& fit : fits) {
        Row row{number(text(report::groupedText(fit.crystal))),
                decimal(fit.worstDeviationPercent, Tone::Within)};
        for (const velmiro::ModeResult& r : fit.rates) {
            row << Cell{modeTitle(family, *r.mode) + QStringLiteral("   n ") +
                            text(report::registerText(r)) + QStringLiteral("   ") +
                            decimal(r.deviationPercent).text + QStringLiteral("   ") +
                            (r.verdict ? text(report::verdictText(*r.verdict)) : QString()),
                        toneOf(r)};
        }
        grid.rows << row;
    }
    return grid;
}

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
    if (!grid_.rows.isEmpty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GridModel::setBackground(const QColor& background) {
    background_ = background;
    if (!grid_.rows.isEmpty())
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
    if (!index.isValid() || index.row() >= rowCount() ||
        index.column() >= grid_.rows[index.row()].size())
        return {};
    const Cell& cell = grid_.rows[index.row()][index.column()];
    switch (role) {
        case Qt::DisplayRole:
            return cell.text;
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
                return cell.text + QStringLiteral(", migliore");
            return role == Qt::AccessibleTextRole ? QVariant(cell.text) : QVariant();
        default:
            return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < grid_.headers.size())
        return grid_.headers[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QString GridModel::selectedText(const QItemSelectionModel& selection) const {
    // Rows in table order, whichever order they were selected in.
    std::set<int> rows;
    for (const QModelIndex& index : selection.selectedIndexes())
        rows.insert(index.row());
    QString out;
    for (const int row : rows) {
        QStringList cells;
        for (const Cell& cell : grid_.rows.value(row))
            cells << cell.text;
        out += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return out;
}

}  // namespace companion
