#include "Companion.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <exception>
#include <limits>
#include <sstream>

#include "CompanionModels.h"
#include "forms.h"
#include "presets.h"
#include "velmiro/report.h"

namespace companion {

namespace report = velmiro::report;

namespace {

// Plain literals, not QString objects: nothing of the companion runs at start-up.
constexpr const char* defaultPrefix = "VELMIRO_";
constexpr const char* defaultCrystalRates = "9600 115200";
constexpr int longestText = 200;  // longer texts read back from the settings are not ours

QString defaultTableRates() {
    QStringList rates;
    for (const std::int32_t rate : report::defaultTableRates())
        rates << QString::number(rate);
    return rates.join(QLatin1Char(' '));
}

template <std::size_t N>
QComboBox* quantityBox(const char* const (&items)[N], std::size_t current, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // typing is not completed into a preset
    for (const char* item : items)
        box->addItem(QString::fromLatin1(item));
    box->setCurrentIndex(static_cast<int>(current));
    return box;
}

QDoubleSpinBox* percentBox(double minimum, double maximum, double value, QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setLocale(QLocale(QLocale::Italian, QLocale::Italy));  // "0,5" as in every other field
    box->setDecimals(2);
    box->setRange(minimum, maximum);
    box->setSingleStep(0.1);
    box->setValue(value);
    box->setKeyboardTracking(true);
    return box;
}

QLabel* problemLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->hide();  // shown with a problem only: the tables keep the room
    return label;
}

QTableView* resultView(GridModel* model, const QString& name, QWidget* parent) {
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
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return view;
}

// Shows a field's problem under it and tells screen readers about it too.
void showProblem(QLabel* label, QWidget* field, const QString& problem) {
    label->setText(problem);
    label->setVisible(!problem.isEmpty());
    field->setAccessibleDescription(problem);
}

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

// An empty limit is no limit. Both limits share one line for their problem,
// so it names the field.
std::optional<std::int32_t> readLimit(const QString& text, std::int32_t none, const char* field,
                                      QString& problem) {
    if (text.trimmed().isEmpty())
        return none;
    const report::Reading reading = report::readPositiveQuantity(text.toStdString());
    if (!reading.value)
        problem = QString::fromUtf8(field) + QString::fromStdString(reading.problem);
    return reading.value;
}

}  // namespace

struct Companion::State {
    std::optional<std::int32_t> crystal;
    std::optional<std::int32_t> rate;
    velmiro::Judgement judgement;
    velmiro::ModeChoice choice;
    std::optional<velmiro::Comparison> modes;
    std::vector<report::TableRow> table;     // empty until a crystal and rates read
    std::vector<std::int32_t> crystalRates;  // empty until the rates and limits read
    std::vector<velmiro::CrystalFit> fits;
};

Companion::Companion(forms::Runtime& runtime, QWidget* parent, const QString& settingsFile)
    : QWidget(parent, Qt::Window),
      runtime_(runtime),
      settingsFile_(settingsFile),
      state_(std::make_unique<State>()) {
    setWindowTitle(QStringLiteral("Velmiro – tutti i modi"));
    if (parent == nullptr)  // alone; beside the main window it shares its icon
        setWindowIcon(forms::programIcon());
    build();
    restoreSettings();
    recompute();
    recolour();
}

Companion::~Companion() = default;

void Companion::build() {
    auto* top = new QVBoxLayout(this);

    // The inputs every tab shares.
    auto* inputs = new QGridLayout;
    top->addLayout(inputs);
    crystal_ = quantityBox(presets::crystals, 4, this);
    rate_ = quantityBox(presets::rates, 2, this);
    crystal_->setAccessibleName(QStringLiteral("Quarzo"));
    rate_->setAccessibleName(QStringLiteral("Baud rate"));
    crystalProblem_ = problemLabel(this);
    rateProblem_ = problemLabel(this);
    tolerance_ = percentBox(0.1, 10.0, 1.0, this);
    tolerance_->setAccessibleName(QStringLiteral("Tolleranza"));
    clockError_ = percentBox(0.0, 10.0, 0.0, this);
    clockError_->setAccessibleName(QStringLiteral("Errore del clock"));
    clockError_->setToolTip(
        QStringLiteral("Ogni modo è giudicato sul caso peggiore: |scostamento| + errore del "
                       "clock"));
    sync_ = new QCheckBox(QStringLiteral("Modi &sincroni"), this);
    sync_->setToolTip(QStringLiteral("Il modo migliore tra i sincroni (100, 110)"));

    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    inputs->addWidget(label(QStringLiteral("&Quarzo:"), crystal_), 0, 0);
    inputs->addWidget(crystal_, 0, 1);
    inputs->addWidget(label(QStringLiteral("&Baud rate:"), rate_), 0, 2);
    inputs->addWidget(rate_, 0, 3);
    inputs->addWidget(crystalProblem_, 1, 1);
    inputs->addWidget(rateProblem_, 1, 3);
    inputs->addWidget(label(QStringLiteral("To&lleranza %:"), tolerance_), 2, 0);
    inputs->addWidget(tolerance_, 2, 1);
    inputs->addWidget(label(QStringLiteral("&Errore del clock %:"), clockError_), 2, 2);
    inputs->addWidget(clockError_, 2, 3);
    inputs->addWidget(sync_, 2, 4);
    for (QWidget* field : {static_cast<QWidget*>(crystal_), static_cast<QWidget*>(rate_),
                           static_cast<QWidget*>(tolerance_), static_cast<QWidget*>(clockError_)})
        field->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16);
    inputs->setColumnStretch(5, 1);  // the fields keep their width; the room goes right

    tabs_ = new QTabWidget(this);
    top->addWidget(tabs_, 1);

    modesModel_ = new GridModel(this);
    tableModel_ = new GridModel(this);
    crystalsModel_ = new GridModel(this);

    modesView_ = resultView(modesModel_, QStringLiteral("Modi"), this);
    tabs_->addTab(modesView_, QStringLiteral("&Modi"));

    auto* tablePage = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(tablePage);
    auto* tableForm = new QFormLayout;
    tableRates_ = new QLineEdit(defaultTableRates(), tablePage);
    tableRates_->setAccessibleName(QStringLiteral("Baud rate della tabella"));
    tableRates_->setToolTip(QStringLiteral("Una riga per baud rate, separati da spazi"));
    tableRatesProblem_ = problemLabel(tablePage);
    tableForm->addRow(label(QStringLiteral("&Righe (baud rate):"), tableRates_), tableRates_);
    tableForm->addRow(QString(), tableRatesProblem_);
    tableLayout->addLayout(tableForm);
    tableView_ = resultView(tableModel_, QStringLiteral("Tabella"), tablePage);
    tableLayout->addWidget(tableView_, 1);
    tabs_->addTab(tablePage, QStringLiteral("T&abella"));

    auto* crystalsPage = new QWidget(this);
    auto* crystalsLayout = new QVBoxLayout(crystalsPage);
    auto* crystalsForm = new QGridLayout;
    crystalRates_ = new QLineEdit(QString::fromLatin1(defaultCrystalRates), crystalsPage);
    crystalRates_->setAccessibleName(QStringLiteral("Baud rate voluti"));
    minimum_ = new QLineEdit(crystalsPage);
    minimum_->setPlaceholderText(QStringLiteral("nessun minimo"));
    minimum_->setAccessibleName(QStringLiteral("Frequenza minima"));
    maximum_ = new QLineEdit(crystalsPage);
    maximum_->setPlaceholderText(QStringLiteral("nessun massimo"));
    maximum_->setAccessibleName(QStringLiteral("Frequenza massima"));
    crystalRatesProblem_ = problemLabel(crystalsPage);
    rangeProblem_ = problemLabel(crystalsPage);
    crystalsForm->addWidget(label(QStringLiteral("Baud rate &voluti:"), crystalRates_), 0, 0);
    crystalsForm->addWidget(crystalRates_, 0, 1, 1, 3);
    crystalsForm->addWidget(crystalRatesProblem_, 1, 1, 1, 3);
    crystalsForm->addWidget(label(QStringLiteral("Frequenza &da:"), minimum_), 2, 0);
    crystalsForm->addWidget(minimum_, 2, 1);
    crystalsForm->addWidget(label(QStringLiteral("&fino a:"), maximum_), 2, 2);
    crystalsForm->addWidget(maximum_, 2, 3);
    crystalsForm->addWidget(rangeProblem_, 3, 1, 1, 3);
    crystalsLayout->addLayout(crystalsForm);
    crystalsView_ = resultView(crystalsModel_, QStringLiteral("Quarzi"), crystalsPage);
    crystalsView_->setToolTip(QStringLiteral("Doppio clic o Invio: usa il quarzo nei modi"));
    crystalsLayout->addWidget(crystalsView_, 1);
    tabs_->addTab(crystalsPage, QStringLiteral("Quar&zi"));

    // The actions under the tabs.
    auto* actions = new QGridLayout;
    top->addLayout(actions);
    prefix_ = new QLineEdit(QString::fromLatin1(defaultPrefix), this);
    prefix_->setAccessibleName(QStringLiteral("Prefisso"));
    prefixProblem_ = problemLabel(this);
    copyHeader_ = new QPushButton(QStringLiteral("Copia &intestazione C"), this);
    copyHeader_->setAccessibleName(QStringLiteral("Copia intestazione C"));
    copyHeader_->setToolTip(
        QStringLiteral("Le #define di velmiro-cli header per il modo migliore o la riga "
                       "scelta nei modi"));
    export_ = new QPushButton(QStringLiteral("Esporta &CSV…"), this);
    export_->setAccessibleName(QStringLiteral("Esporta CSV"));
    export_->setToolTip(QStringLiteral("Salva la scheda visibile come CSV"));
    actions->addWidget(label(QStringLiteral("&Prefisso:"), prefix_), 0, 0);
    actions->addWidget(prefix_, 0, 1);
    actions->addWidget(copyHeader_, 0, 2);
    actions->addWidget(export_, 0, 4);
    actions->addWidget(prefixProblem_, 1, 1, 1, 4);
    actions->setColumnStretch(3, 1);

    // Every change recomputes at once; there is no button to press.
    const auto recompute = [this] { this->recompute(); };
    connect(crystal_, &QComboBox::currentTextChanged, this, recompute);
    connect(rate_, &QComboBox::currentTextChanged, this, recompute);
    connect(tolerance_, &QDoubleSpinBox::valueChanged, this, recompute);
    connect(clockError_, &QDoubleSpinBox::valueChanged, this, recompute);
    connect(sync_, &QCheckBox::toggled, this, recompute);
    for (QLineEdit* edit : {tableRates_, crystalRates_, minimum_, maximum_, prefix_})
        connect(edit, &QLineEdit::textChanged, this, recompute);
    connect(modesView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, recompute);
    connect(tabs_, &QTabWidget::currentChanged, this, recompute);  // what Esporta would save
    connect(copyHeader_, &QPushButton::clicked, this,
            [this] { guarded([this] { copyHeader(); }); });
    connect(export_, &QPushButton::clicked, this, [this] { guarded([this] { exportCsv(); }); });
    connect(crystalsView_, &QTableView::activated, this, [this](const QModelIndex& index) {
        const QString crystal = crystalsModel_->grid().rows.value(index.row()).value(0).text;
        if (crystal.isEmpty())
            return;
        crystal_->setEditText(crystal);
        showTab(Tab::Modes);
    });

    for (QTableView* view : {modesView_, tableView_, crystalsView_}) {
        auto* copy = new QAction(QStringLiteral("Copia"), view);
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        copy->setShortcutVisibleInContextMenu(true);
        connect(copy, &QAction::triggered, this, [this] { guarded([this] { copySelection(); }); });
        view->addAction(copy);
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    // The main window's keys choose the tabs here too; Ctrl+W closes.
    const Tab tabOrder[] = {Tab::Modes, Tab::Table, Tab::Crystals};
    for (int i = 0; i < 3; ++i) {
        auto* key = new QAction(this);
        key->setShortcut(QKeySequence(Qt::Key_F2 + i));
        const Tab tab = tabOrder[i];
        connect(key, &QAction::triggered, this, [this, tab] { showTab(tab); });
        addAction(key);
    }
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    QWidget* const order[] = {crystal_,      rate_,         tolerance_,  clockError_,
                              sync_,         tabs_,         modesView_,  tableRates_,
                              tableView_,    crystalRates_, minimum_,    maximum_,
                              crystalsView_, prefix_,       copyHeader_, export_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    resize(900, 560);
}

void Companion::showTab(Tab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

void Companion::takeInputs(const QString& crystal, const QString& rate) {
    if (report::readPositiveQuantity(crystal.toStdString()).value)
        crystal_->setEditText(crystal);
    if (report::readPositiveQuantity(rate.toStdString()).value)
        rate_->setEditText(rate);
}

void Companion::guarded(const std::function<void()>& work) {
    // Nothing typed may end the window: a failure empties the results and says why.
    QString failure;
    try {
        work();
        return;
    } catch (const std::exception& error) {
        failure = QStringLiteral("Calcolo non riuscito: ") + QString::fromUtf8(error.what());
    } catch (...) {
        failure = QStringLiteral("Calcolo non riuscito");
    }
    *state_ = State{};
    for (GridModel* model : {modesModel_, tableModel_, crystalsModel_})
        model->setGrid({model->grid().headers, {}});
    copyHeader_->setEnabled(false);
    export_->setEnabled(false);
    showProblem(crystalProblem_, crystal_, failure);
}

void Companion::recompute() {
    guarded([this] {
        State next;
        const report::Reading crystal =
            report::readPositiveQuantity(crystal_->currentText().toStdString());
        const report::Reading rate =
            report::readPositiveQuantity(rate_->currentText().toStdString());
        showProblem(crystalProblem_, crystal_, QString::fromStdString(crystal.problem));
        showProblem(rateProblem_, rate_, QString::fromStdString(rate.problem));
        next.crystal = crystal.value;
        next.rate = rate.value;
        next.judgement = {tolerance_->value(), clockError_->value()};
        next.choice.sync = sync_->isChecked();
        const bool worstCase = next.judgement.clockErrorPercent > 0.0;

        if (next.crystal && next.rate)
            next.modes = velmiro::compareModes(velmiro::eusart(), *next.crystal, *next.rate,
                                               next.judgement, next.choice);

        const RatesReading tableRates = readRates(tableRates_->text());
        showProblem(tableRatesProblem_, tableRates_, tableRates.problem);
        if (next.crystal && !tableRates.rates.empty()) {
            next.table = report::tableOf(velmiro::eusart(), *next.crystal, tableRates.rates,
                                         next.judgement, next.choice);
        }

        const RatesReading crystalRates = readRates(crystalRates_->text());
        showProblem(crystalRatesProblem_, crystalRates_, crystalRates.problem);
        QString range;
        const auto minimum = readLimit(minimum_->text(), 1, "Frequenza da: ", range);
        const auto maximum = readLimit(maximum_->text(), std::numeric_limits<std::int32_t>::max(),
                                       "fino a: ", range);
        if (minimum && maximum && *minimum > *maximum)
            range = QStringLiteral("La frequenza minima è più alta della massima");
        showProblem(rangeProblem_, minimum_->text().isEmpty() ? maximum_ : minimum_, range);
        if (!crystalRates.rates.empty() && range.isEmpty()) {
            next.crystalRates = crystalRates.rates;
            next.fits = velmiro::crystalsFor(velmiro::eusart(), next.crystalRates, next.judgement,
                                             next.choice, *minimum, *maximum);
        }

        modesModel_->setGrid(modesGrid(next.modes.value_or(velmiro::Comparison{}), worstCase));
        tableModel_->setGrid(tableGrid(next.table));
        crystalsModel_->setGrid(crystalsGrid(next.crystalRates, next.fits));
        *state_ = std::move(next);

        const QString prefixProblem =
            QString::fromStdString(report::prefixProblem(prefix_->text().toStdString()));
        showProblem(prefixProblem_, prefix_, prefixProblem);
        copyHeader_->setEnabled(prefixProblem.isEmpty() && headerMode() != nullptr);
        const bool ready[] = {state_->modes.has_value(), !state_->table.empty(),
                              !state_->crystalRates.empty()};
        export_->setEnabled(ready[tabs_->currentIndex()]);
    });
}

const velmiro::ModeResult* Companion::headerMode() const {
    if (!state_->modes)
        return nullptr;
    const QModelIndexList rows = modesView_->selectionModel()->selectedRows();
    if (rows.size() == 1 && rows.front().row() < static_cast<int>(state_->modes->modes.size()))
        return &state_->modes->modes[static_cast<std::size_t>(rows.front().row())];
    return state_->modes->bestMode();
}

void Companion::copyHeader() {
    const velmiro::ModeResult* mode = headerMode();
    if (mode == nullptr || !report::prefixProblem(prefix_->text().toStdString()).empty())
        return;
    std::ostringstream out;
    report::writeHeader(out, prefix_->text().toStdString(),
                        report::Query{*state_->crystal, state_->rate, {}, state_->judgement, {}},
                        *mode);
    QApplication::clipboard()->setText(QString::fromStdString(out.str()));
}

void Companion::exportCsv() {
    const State& s = *state_;
    std::ostringstream out;
    QString name;
    switch (static_cast<Tab>(tabs_->currentIndex())) {
        case Tab::Modes:
            if (!s.modes)
                return;
            report::writeModes(out, report::Format::Csv,
                               report::Query{*s.crystal, s.rate, {}, s.judgement, {}}, *s.modes);
            name = QStringLiteral("velmiro-modi.csv");
            break;
        case Tab::Table:
            if (s.table.empty())
                return;
            report::writeTable(out, report::Format::Csv,
                               report::Query{*s.crystal, {}, {}, s.judgement, {}}, s.table);
            name = QStringLiteral("velmiro-tabella.csv");
            break;
        case Tab::Crystals:
            if (s.crystalRates.empty())
                return;
            report::writeCrystals(out, report::Format::Csv, {}, s.crystalRates, s.judgement,
                                  s.fits);
            name = QStringLiteral("velmiro-quarzi.csv");
            break;
    }
    const QString path =
        runtime_.saveFileName(this, QStringLiteral("Esporta CSV"), QDir::home().filePath(name),
                              QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const std::string bytes = out.str();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        showProblem(prefixProblem_, export_,
                    QStringLiteral("Non si può scrivere %1: %2").arg(path, file.errorString()));
    }
}

void Companion::copySelection() {
    for (QTableView* view : {modesView_, tableView_, crystalsView_}) {
        if (view->hasFocus()) {
            const QString text =
                static_cast<GridModel*>(view->model())->selectedText(*view->selectionModel());
            if (!text.isEmpty())
                QApplication::clipboard()->setText(text);
        }
    }
}

void Companion::recolour() {
    // The window's own palette: the tables may hear of a new one only after it.
    for (GridModel* model : {modesModel_, tableModel_, crystalsModel_})
        model->setBackground(palette().color(QPalette::Base));
    const QColor problem = toneColor(Tone::Outside, palette().color(QPalette::Window));
    for (QLabel* label : {crystalProblem_, rateProblem_, tableRatesProblem_, crystalRatesProblem_,
                          rangeProblem_, prefixProblem_}) {
        QPalette own = label->palette();
        own.setColor(QPalette::WindowText, problem);
        label->setPalette(own);
    }
}

void Companion::changeEvent(QEvent* event) {
    // A theme switch at run time brings a new palette.
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)
        recolour();
}

void Companion::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    // The first time, whole on the screen of the window it came from, centred.
    const QWidget* from = parentWidget() != nullptr ? parentWidget() : this;
    if (const QScreen* screen = from->screen()) {
        const QRect room = screen->availableGeometry();
        resize(size().boundedTo(room.size() - (frameGeometry().size() - size())));
        QRect frame = frameGeometry();
        frame.moveCenter(room.center());
        move(frame.topLeft());
    }
}

void Companion::closeEvent(QCloseEvent* event) {
    saveSettings();
    QWidget::closeEvent(event);
}

namespace {

std::unique_ptr<QSettings> openSettings(const QString& file) {
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Velmiro"), QStringLiteral("companion"));
}

// Each value read back is checked: a file edited by hand, or garbled, must not
// put anything odd on screen.
std::optional<QString> textSetting(const QSettings& s, const char* key) {
    const QVariant v = s.value(QLatin1String(key));
    if (v.typeId() != QMetaType::QString || v.toString().size() > longestText)
        return std::nullopt;
    return v.toString();
}

std::optional<double> numberSetting(const QSettings& s, const char* key, double lo, double hi) {
    const auto text = textSetting(s, key);
    bool ok = false;
    const double value = text ? text->toDouble(&ok) : 0.0;
    if (!ok || !(value >= lo && value <= hi))
        return std::nullopt;
    return value;
}

}  // namespace

void Companion::restoreSettings() {
    const auto settings = openSettings(settingsFile_);
    if (settings->status() != QSettings::NoError)
        return;
    const QSettings& s = *settings;
    if (auto v = textSetting(s, "crystal"))
        crystal_->setEditText(*v);
    if (auto v = textSetting(s, "rate"))
        rate_->setEditText(*v);
    if (auto v = numberSetting(s, "tolerance", tolerance_->minimum(), tolerance_->maximum()))
        tolerance_->setValue(*v);
    if (auto v = numberSetting(s, "clockError", clockError_->minimum(), clockError_->maximum()))
        clockError_->setValue(*v);
    if (auto v = textSetting(s, "sync"); v == QLatin1String("true") || v == QLatin1String("false"))
        sync_->setChecked(*v == QLatin1String("true"));
    if (auto v = textSetting(s, "tableRates"))
        tableRates_->setText(*v);
    if (auto v = textSetting(s, "crystalRates"))
        crystalRates_->setText(*v);
    if (auto v = textSetting(s, "minimum"))
        minimum_->setText(*v);
    if (auto v = textSetting(s, "maximum"))
        maximum_->setText(*v);
    if (auto v = textSetting(s, "prefix"))
        prefix_->setText(*v);
    if (auto v = numberSetting(s, "tab", 0, 2))
        tabs_->setCurrentIndex(static_cast<int>(*v));
    const QVariant size = s.value(QStringLiteral("size"));
    if (size.typeId() == QMetaType::QSize) {
        const QSize wanted = size.toSize();
        if (wanted.width() >= 400 && wanted.height() >= 300 && wanted.width() <= 8000 &&
            wanted.height() <= 8000)
            resize(wanted);
    }
}

void Companion::saveSettings() const {
    const auto settings = openSettings(settingsFile_);
    QSettings& s = *settings;
    s.setValue(QStringLiteral("crystal"), crystal_->currentText());
    s.setValue(QStringLiteral("rate"), rate_->currentText());
    s.setValue(QStringLiteral("tolerance"), QString::number(tolerance_->value()));
    s.setValue(QStringLiteral("clockError"), QString::number(clockError_->value()));
    s.setValue(QStringLiteral("sync"),
               sync_->isChecked() ? QStringLiteral("true") : QStringLiteral("false"));
    s.setValue(QStringLiteral("tableRates"), tableRates_->text());
    s.setValue(QStringLiteral("crystalRates"), crystalRates_->text());
    s.setValue(QStringLiteral("minimum"), minimum_->text());
    s.setValue(QStringLiteral("maximum"), maximum_->text());
    s.setValue(QStringLiteral("prefix"), prefix_->text());
    s.setValue(QStringLiteral("tab"), QString::number(tabs_->currentIndex()));
    s.setValue(QStringLiteral("size"), size());
}

}  // namespace companion
