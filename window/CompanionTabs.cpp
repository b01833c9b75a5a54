#include "CompanionTabs.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QVBoxLayout>

#include <limits>

#include "CompanionModels.h"
#include "CompanionSettings.h"

namespace companion {

namespace report = velmiro::report;

namespace {

// Rates separated by blanks or ";" ("," is the decimal separator).
struct RatesReading {
    std::vector<std::int32_t> rates;
    QString problem;
};

RatesReading readRates(const QString& text) {
    RatesReading reading;
    static const QRegularExpression separators(QStringLiteral("[\\s;]+"));
    for (const QString& item : text.split(separators, Qt::SkipEmptyParts)) {
        const report::Reading one = report::readPositiveQuantity(item.toStdString());
        if (!one.value) {
            reading.problem =
                QStringLiteral("«%1»: %2").arg(item, QString::fromStdString(one.problem));
            reading.rates.clear();
            return reading;
        }
        reading.rates.push_back(*one.value);
    }
    if (reading.rates.empty())
        reading.problem = QStringLiteral("Scrivere almeno un baud rate, come 9600 o 115,2k");
    return reading;
}

// An empty limit is no limit.
std::optional<std::int32_t> readLimit(const QString& text, std::int32_t none, QString& problem) {
    if (text.trimmed().isEmpty())
        return none;
    const report::Reading reading = report::readPositiveQuantity(text.toStdString());
    if (!reading.value)
        problem = QString::fromStdString(reading.problem);
    return reading.value;
}

QString defaultTableRates() {
    QStringList rates;
    for (const std::int32_t rate : report::defaultTableRates())
        rates << QString::number(rate);
    return rates.join(QLatin1Char(' '));
}

}  // namespace

// ---------------------------------------------------------------- MessageLine

MessageLine::MessageLine(QWidget* parent, int lines) : QLabel(parent) {
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The same room, always; the width is whatever the layout gives.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(lines * fontMetrics().lineSpacing() + 2);
}

void MessageLine::set(QWidget* field, const QString& name, const QString& problem) {
    field->setAccessibleDescription(problem);
    // A message of several lines, such as the list of families, flows on the line.
    QString flowing = problem;
    flowing.replace(QStringLiteral(":\n  "), QStringLiteral(": "))
        .replace(QStringLiteral("\n  "), QStringLiteral("; "));
    const QString text = flowing.isEmpty() || name.isEmpty() ? flowing : name + ": " + flowing;
    for (Entry& entry : problems_) {
        if (entry.field == field) {
            entry.text = text;
            return refresh();
        }
    }
    problems_.push_back({field, text});
    refresh();
}

void MessageLine::note(const QString& text) {
    note_ = text;
    refresh();
}

void MessageLine::setColours(const QColor& problem, const QColor& plain) {
    problemColour_ = problem;
    plainColour_ = plain;
    refresh();
}

void MessageLine::refresh() {
    QStringList lines;
    for (const Entry& entry : problems_) {
        if (!entry.text.isEmpty())
            lines << entry.text;
    }
    const bool problem = !lines.isEmpty();
    if (!problem && !note_.isEmpty())
        lines << note_;
    QPalette own = palette();
    own.setColor(QPalette::WindowText, problem ? problemColour_ : plainColour_);
    setPalette(own);
    setText(lines.join(QLatin1Char('\n')));
}

// ---------------------------------------------------------------- ResultTab

ResultTab::ResultTab(const QString& name, QWidget* parent)
    : QWidget(parent), model_(new GridModel(this)), view_(new QTableView(this)) {
    view_->setModel(model_);
    view_->setAccessibleName(name);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setTabKeyNavigation(false);  // Tab leaves the table, as everywhere else
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 8);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
}

QLineEdit* ResultTab::lineEdit(const QString& text, const QString& name) {
    auto* edit = new QLineEdit(text, this);
    edit->setAccessibleName(name);
    connect(edit, &QLineEdit::textChanged, this, &ResultTab::edited);
    return edit;
}

void ResultTab::showGrid(Grid grid) {
    const bool reshaped =
        grid.headers != model_->grid().headers || grid.rows.size() != model_->grid().rows.size();
    model_->setGrid(std::move(grid));
    if (reshaped) {
        view_->resizeColumnsToContents();
        return;
    }
    QHeaderView* header = view_->horizontalHeader();
    const QAbstractItemView* cells = view_;  // where the hint is public
    for (int column = 0; column < model_->columnCount(); ++column) {
        const int wanted =
            std::max(cells->sizeHintForColumn(column), header->sectionSizeHint(column));
        if (wanted > header->sectionSize(column))
            header->resizeSection(column, wanted);
    }
}

void ResultTab::clear() {
    model_->setGrid({model_->grid().headers, {}});
}

void ResultTab::recolour(const QColor& base, const QColor& problem, const QColor& plain) {
    model_->setBackground(base);
    if (messages_ != nullptr)
        messages_->setColours(problem, plain);
}

// ---------------------------------------------------------------- ModesTab

ModesTab::ModesTab(QWidget* parent) : ResultTab(QStringLiteral("Modi"), parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins({});
    layout->addWidget(view_);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ModesTab::selectionChanged);
}

void ModesTab::refresh(const Inputs& in) {
    modes_.reset();
    if (in.crystal && in.rate && in.judgement && in.port) {
        query_ = report::Query{*in.crystal, in.rate, {}, *in.judgement, *in.port};
        modes_ = velmiro::compareModes(in.port->peripheral, *in.crystal, *in.rate, *in.judgement,
                                       in.choice);
    }
    const bool worstCase = in.judgement && in.judgement->clockErrorPercent > 0.0;
    const report::Port shown = in.port.value_or(report::Port{});
    showGrid(modesGrid(shown.family(), modes_.value_or(velmiro::Comparison{}), worstCase));
}

void ModesTab::clear() {
    modes_.reset();
    ResultTab::clear();
}

void ModesTab::writeCsv(std::ostream& out) const {
    if (modes_)
        report::writeModes(out, report::Format::Csv, query_, *modes_);
}

QList<QWidget*> ModesTab::fields() const {
    return {view_};
}

const velmiro::ModeResult* ModesTab::headerMode() const {
    if (!modes_)
        return nullptr;
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    if (rows.size() == 1 && rows.front().row() < static_cast<int>(modes_->modes.size()))
        return &modes_->modes[static_cast<std::size_t>(rows.front().row())];
    return modes_->bestMode();
}

QString ModesTab::headerTitle() const {
    const velmiro::ModeResult* mode = headerMode();
    return mode != nullptr
               ? QString::fromStdString(report::modeTitle(query_.port.family(), *mode->mode))
               : QString();
}

void ModesTab::writeHeader(std::ostream& out, const std::string& prefix) const {
    if (const velmiro::ModeResult* mode = headerMode())
        report::writeHeader(out, prefix, query_, *mode);
}

// ---------------------------------------------------------------- TableTab

TableTab::TableTab(QWidget* parent)
    : ResultTab(QStringLiteral("Tabella"), parent),
      rates_(lineEdit(defaultTableRates(), QStringLiteral("Baud rate della tabella"))) {
    rates_->setToolTip(QStringLiteral("Una riga per baud rate, separati da spazi"));
    messages_ = new MessageLine(this);
    auto* layout = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("&Righe (baud rate):"), this);
    label->setBuddy(rates_);
    layout->addWidget(label, 0, 0);
    layout->addWidget(rates_, 0, 1);
    layout->addWidget(messages_, 1, 1);
    layout->addWidget(view_, 2, 0, 1, 2);
    layout->setRowStretch(2, 1);
}

void TableTab::refresh(const Inputs& in) {
    rows_.clear();
    const RatesReading rates = readRates(rates_->text());
    messages_->set(rates_, {}, rates.problem);
    if (in.crystal && in.judgement && in.port && !rates.rates.empty()) {
        query_ = report::Query{*in.crystal, {}, {}, *in.judgement, *in.port};
        rows_ = report::tableOf(in.port->peripheral, *in.crystal, rates.rates, *in.judgement,
                                in.choice);
    }
    showGrid(tableGrid(in.port.value_or(report::Port{}).family(), rows_));
}

void TableTab::clear() {
    rows_.clear();
    ResultTab::clear();
}

void TableTab::writeCsv(std::ostream& out) const {
    if (!rows_.empty())
        report::writeTable(out, report::Format::Csv, query_, rows_);
}

void TableTab::addSettings(SettingsTable& settings) {
    settings.text("tableRates", rates_);
}

QList<QWidget*> TableTab::fields() const {
    return {rates_, view_};
}

// ---------------------------------------------------------------- CrystalsTab

CrystalsTab::CrystalsTab(QWidget* parent)
    : ResultTab(QStringLiteral("Quarzi"), parent),
      ratesField_(lineEdit(QStringLiteral("9600 115200"), QStringLiteral("Baud rate voluti"))),
      minimum_(lineEdit({}, QStringLiteral("Frequenza minima"))),
      maximum_(lineEdit({}, QStringLiteral("Frequenza massima"))) {
    minimum_->setPlaceholderText(QStringLiteral("nessun minimo"));
    maximum_->setPlaceholderText(QStringLiteral("nessun massimo"));
    messages_ = new MessageLine(this);
    view_->setToolTip(QStringLiteral("Doppio clic o Invio: usa il quarzo nei modi"));
    auto* layout = new QGridLayout(this);
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    layout->addWidget(label(QStringLiteral("Baud rate &voluti:"), ratesField_), 0, 0);
    layout->addWidget(ratesField_, 0, 1, 1, 3);
    layout->addWidget(label(QStringLiteral("Frequenza &da:"), minimum_), 1, 0);
    layout->addWidget(minimum_, 1, 1);
    layout->addWidget(label(QStringLiteral("&fino a:"), maximum_), 1, 2);
    layout->addWidget(maximum_, 1, 3);
    layout->addWidget(messages_, 2, 1, 1, 3);
    layout->addWidget(view_, 3, 0, 1, 4);
    layout->setRowStretch(3, 1);
    connect(view_, &QTableView::activated, this, [this](const QModelIndex& index) {
        const QString crystal = model_->index(index.row(), 0).data().toString();
        if (!crystal.isEmpty())
            emit crystalChosen(crystal);
    });
}

void CrystalsTab::refresh(const Inputs& in) {
    rates_.clear();
    fits_.clear();
    const RatesReading rates = readRates(ratesField_->text());
    messages_->set(ratesField_, QStringLiteral("Baud rate voluti"), rates.problem);
    QString low, high, order;
    const auto minimum = readLimit(minimum_->text(), 1, low);
    const auto maximum =
        readLimit(maximum_->text(), std::numeric_limits<std::int32_t>::max(), high);
    if (minimum && maximum && *minimum > *maximum)
        order = QStringLiteral("La frequenza minima è più alta della massima");
    messages_->set(minimum_, QStringLiteral("Frequenza da"), low.isEmpty() ? order : low);
    messages_->set(maximum_, QStringLiteral("fino a"), high);
    if (in.judgement && in.port && !rates.rates.empty() && minimum && maximum && order.isEmpty()) {
        port_ = *in.port;
        judgement_ = *in.judgement;
        rates_ = rates.rates;
        fits_ = velmiro::crystalsFor(port_.peripheral, rates_, judgement_, in.choice, *minimum,
                                     *maximum);
    }
    showGrid(crystalsGrid(in.port.value_or(report::Port{}).family(), rates_, fits_));
}

void CrystalsTab::clear() {
    rates_.clear();
    fits_.clear();
    ResultTab::clear();
}

void CrystalsTab::writeCsv(std::ostream& out) const {
    if (!rates_.empty())
        report::writeCrystals(out, report::Format::Csv, port_, rates_, judgement_, fits_);
}

void CrystalsTab::addSettings(SettingsTable& settings) {
    settings.text("crystalRates", ratesField_);
    settings.text("minimum", minimum_);
    settings.text("maximum", maximum_);
}

QList<QWidget*> CrystalsTab::fields() const {
    return {ratesField_, minimum_, maximum_, view_};
}

}  // namespace companion
