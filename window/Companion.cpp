#include "Companion.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <sstream>

#include "CompanionModels.h"
#include "CompanionSettings.h"
#include "CompanionTabs.h"
#include "forms.h"
#include "presets.h"
#include "velmiro/report.h"

namespace companion {

namespace report = velmiro::report;

namespace {

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

QLabel* label(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

std::unique_ptr<QSettings> openSettings(const QString& file) {
    if (!file.isEmpty())
        return std::make_unique<QSettings>(file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Velmiro"), QStringLiteral("companion"));
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

Companion::Companion(forms::Runtime& runtime, QWidget* parent, const QString& settingsFile)
    : QWidget(parent, Qt::Window),
      runtime_(runtime),
      settingsFile_(settingsFile),
      settings_(std::make_unique<SettingsTable>()) {
    setWindowTitle(QStringLiteral("Velmiro – tutti i modi"));
    if (parent == nullptr)  // alone; beside the main window it shares its icon
        setWindowIcon(forms::programIcon());
    auto* top = new QVBoxLayout(this);
    buildInputs();
    tabs_ = new QTabWidget(this);
    modes_ = new ModesTab(this);
    table_ = new TableTab(this);
    crystals_ = new CrystalsTab(this);
    tabs_->addTab(modes_, QStringLiteral("&Modi"));
    tabs_->addTab(table_, QStringLiteral("T&abella"));
    tabs_->addTab(crystals_, QStringLiteral("Quar&zi"));
    top->addWidget(tabs_, 1);
    buildActions();
    resize(900, 560);

    // Each key once; reading and writing both go through this table.
    SettingsTable& s = *settings_;
    s.text("crystal", crystal_);
    s.text("rate", rate_);
    s.text("tolerance", tolerance_,
           [](const QString& t) { return report::readTolerance(utf8(t)).value.has_value(); });
    s.text("clockError", clockError_,
           [](const QString& t) { return report::readClockError(utf8(t)).value.has_value(); });
    s.flag("sync", sync_);
    s.choice("family", family_);
    s.text("device", device_);
    for (ResultTab* tab : {static_cast<ResultTab*>(modes_), static_cast<ResultTab*>(table_),
                           static_cast<ResultTab*>(crystals_)})
        tab->addSettings(s);
    s.text("prefix", prefix_);
    s.page("tab", tabs_);
    s.size("size", this);
    s.restore(*openSettings(settingsFile_));

    connectAll();
    deviceEdited();
    recolour();
}

Companion::~Companion() = default;

void Companion::buildInputs() {
    auto* inputs = new QGridLayout;
    static_cast<QVBoxLayout*>(layout())->addLayout(inputs);
    crystal_ = quantityBox(presets::crystals, 4, this);
    rate_ = quantityBox(presets::rates, 2, this);
    crystal_->setAccessibleName(QStringLiteral("Quarzo"));
    rate_->setAccessibleName(QStringLiteral("Baud rate"));
    tolerance_ = new QLineEdit(QStringLiteral("1"), this);
    tolerance_->setAccessibleName(QStringLiteral("Tolleranza"));
    tolerance_->setToolTip(QStringLiteral("Per esempio 1, 0,5 o 2,5"));
    clockError_ = new QLineEdit(QStringLiteral("0"), this);
    clockError_->setAccessibleName(QStringLiteral("Errore del clock"));
    clockError_->setToolTip(
        QStringLiteral("Ogni modo è giudicato sul caso peggiore: |scostamento| + errore del "
                       "clock"));
    sync_ = new QCheckBox(QStringLiteral("Modi &sincroni"), this);
    family_ = new QComboBox(this);
    family_->setAccessibleName(QStringLiteral("Periferica"));
    for (const velmiro::Family& family : velmiro::families()) {
        family_->addItem(QStringLiteral("%1 — %2").arg(text(family.key), text(family.parts)),
                         text(family.key));
    }
    // The texts are long: the closed box takes the room it is given, the list shows them whole.
    family_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    family_->setMinimumContentsLength(24);
    family_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    device_ = new QLineEdit(this);
    device_->setAccessibleName(QStringLiteral("Dispositivo"));
    device_->setPlaceholderText(QStringLiteral("facoltativo"));
    device_->setToolTip(
        QStringLiteral("Un PIC come PIC16F877A o PIC24FJ64GA002: sceglie la periferica e ne "
                       "segue le errata"));
    inputMessages_ = new MessageLine(this, 3);

    inputs->addWidget(label(QStringLiteral("&Quarzo:"), crystal_, this), 0, 0);
    inputs->addWidget(crystal_, 0, 1);
    inputs->addWidget(label(QStringLiteral("&Baud rate:"), rate_, this), 0, 2);
    inputs->addWidget(rate_, 0, 3);
    inputs->addWidget(label(QStringLiteral("To&lleranza %:"), tolerance_, this), 1, 0);
    inputs->addWidget(tolerance_, 1, 1);
    inputs->addWidget(label(QStringLiteral("&Errore del clock %:"), clockError_, this), 1, 2);
    inputs->addWidget(clockError_, 1, 3);
    inputs->addWidget(sync_, 0, 4, 1, 2);
    inputs->addWidget(label(QStringLiteral("&Periferica:"), family_, this), 2, 0);
    inputs->addWidget(family_, 2, 1, 1, 5);
    inputs->addWidget(label(QStringLiteral("Disposi&tivo:"), device_, this), 3, 0);
    inputs->addWidget(device_, 3, 1);
    inputs->addWidget(inputMessages_, 4, 0, 1, 6);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16;
    for (QWidget* field : {static_cast<QWidget*>(crystal_), static_cast<QWidget*>(rate_),
                           static_cast<QWidget*>(tolerance_), static_cast<QWidget*>(clockError_),
                           static_cast<QWidget*>(device_)})
        field->setFixedWidth(width);
    inputs->setColumnStretch(5, 1);  // the room goes right
}

void Companion::buildActions() {
    auto* actions = new QGridLayout;
    static_cast<QVBoxLayout*>(layout())->addLayout(actions);
    prefix_ = new QLineEdit(QStringLiteral("VELMIRO_"), this);
    prefix_->setAccessibleName(QStringLiteral("Prefisso"));
    copyHeader_ = new QPushButton(this);
    copyHeader_->setAccessibleName(QStringLiteral("Copia intestazione C"));
    copyHeader_->setToolTip(
        QStringLiteral("Le #define di velmiro-cli header per il modo migliore o la riga "
                       "scelta nei modi"));
    export_ = new QPushButton(QStringLiteral("Esporta &CSV…"), this);
    export_->setAccessibleName(QStringLiteral("Esporta CSV"));
    export_->setToolTip(QStringLiteral("Salva la scheda visibile come CSV"));
    status_ = new MessageLine(this);
    actions->addWidget(label(QStringLiteral("Prefiss&o:"), prefix_, this), 0, 0);
    actions->addWidget(prefix_, 0, 1);
    actions->addWidget(copyHeader_, 0, 2);
    actions->addWidget(export_, 0, 4);
    actions->addWidget(status_, 0, 3);  // beside the buttons it speaks of
    actions->setColumnStretch(3, 1);
}

void Companion::connectAll() {
    // Every change recomputes at once; there is no button to press. A new
    // question forgets the row chosen for the header.
    const auto changed = [this] { inputsChanged(); };
    connect(crystal_, &QComboBox::currentTextChanged, this, changed);
    connect(rate_, &QComboBox::currentTextChanged, this, changed);
    connect(tolerance_, &QLineEdit::textChanged, this, changed);
    connect(clockError_, &QLineEdit::textChanged, this, changed);
    connect(sync_, &QCheckBox::toggled, this, changed);
    connect(family_, &QComboBox::currentIndexChanged, this, changed);
    connect(device_, &QLineEdit::textChanged, this, [this] { deviceEdited(); });
    const auto recompute = [this] { this->recompute(); };
    connect(table_, &ResultTab::edited, this, recompute);
    connect(crystals_, &ResultTab::edited, this, recompute);
    connect(prefix_, &QLineEdit::textChanged, this, recompute);
    connect(modes_, &ModesTab::selectionChanged, this, [this] { updateActions(); });
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { updateActions(); });
    connect(copyHeader_, &QPushButton::clicked, this,
            [this] { guarded([this] { copyHeader(); }); });
    connect(export_, &QPushButton::clicked, this, [this] { guarded([this] { exportCsv(); }); });
    connect(crystals_, &CrystalsTab::crystalChosen, this, [this](const QString& crystal) {
        crystal_->setEditText(crystal);
        showTab(Tab::Modes);
    });

    for (ResultTab* tab : {static_cast<ResultTab*>(modes_), static_cast<ResultTab*>(table_),
                           static_cast<ResultTab*>(crystals_)}) {
        auto* copy = new QAction(QStringLiteral("Copia"), tab->view());
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        copy->setShortcutVisibleInContextMenu(true);
        connect(copy, &QAction::triggered, this, [this] { guarded([this] { copySelection(); }); });
        tab->view()->addAction(copy);
        tab->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    // The main window's keys choose the tabs here too; Ctrl+W closes.
    for (const Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals}) {
        auto* key = new QAction(this);
        key->setShortcut(QKeySequence(Qt::Key_F2 + static_cast<int>(tab)));
        connect(key, &QAction::triggered, this, [this, tab] { showTab(tab); });
        addAction(key);
    }
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    QList<QWidget*> order{crystal_, rate_, sync_, tolerance_, clockError_, family_, device_, tabs_};
    order << modes_->fields() << table_->fields() << crystals_->fields();
    order << prefix_ << copyHeader_ << export_;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Companion::showTab(Tab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

void Companion::takeInputs(const QString& crystal, const QString& rate) {
    if (report::readPositiveQuantity(utf8(crystal)).value)
        crystal_->setEditText(crystal);
    if (report::readPositiveQuantity(utf8(rate)).value)
        rate_->setEditText(rate);
}

ResultTab* Companion::currentTab() const {
    return static_cast<ResultTab*>(tabs_->currentWidget());
}

bool Companion::guarded(const std::function<void()>& work) {
    // Nothing typed may end the window: a failure empties the results and says why.
    QString failure;
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        failure = QStringLiteral("Calcolo non riuscito: ") + QString::fromUtf8(error.what());
    } catch (...) {
        failure = QStringLiteral("Calcolo non riuscito");
    }
    for (ResultTab* tab : {static_cast<ResultTab*>(modes_), static_cast<ResultTab*>(table_),
                           static_cast<ResultTab*>(crystals_)})
        tab->clear();
    copyHeader_->setEnabled(false);
    export_->setEnabled(false);
    inputMessages_->set(crystal_, QStringLiteral("Quarzo"), failure);
    return false;
}

Inputs Companion::readInputs() {
    Inputs in;
    const report::Reading crystal = report::readPositiveQuantity(utf8(crystal_->currentText()));
    const report::Reading rate = report::readPositiveQuantity(utf8(rate_->currentText()));
    const report::PercentReading tolerance = report::readTolerance(utf8(tolerance_->text()));
    const report::PercentReading clockError = report::readClockError(utf8(clockError_->text()));
    const auto say = [this](QWidget* field, const char* name, const std::string& problem) {
        inputMessages_->set(field, QString::fromUtf8(name), QString::fromStdString(problem));
    };
    say(crystal_, "Quarzo", crystal.problem);
    say(rate_, "Baud rate", rate.problem);
    say(tolerance_, "Tolleranza", tolerance.problem);
    say(clockError_, "Errore del clock", clockError.problem);
    in.crystal = crystal.value;
    in.rate = rate.value;
    if (tolerance.value && clockError.value)
        in.judgement = velmiro::Judgement{*tolerance.value, *clockError.value};

    const velmiro::Family* family = velmiro::findFamily(utf8(family_->currentData().toString()));
    if (family == nullptr)
        family = &velmiro::eusart();
    QString deviceProblem;
    if (device_->text().trimmed().isEmpty()) {
        in.port = report::Port{*family, {}};
    } else {
        const std::string typed = utf8(device_->text().trimmed());
        const velmiro::Device device = velmiro::deviceFromText(typed);
        deviceProblem = QString::fromStdString(report::deviceProblem(typed, device));
        if (deviceProblem.isEmpty())
            deviceProblem = QString::fromStdString(report::familyConflict(device, *family));
        if (deviceProblem.isEmpty())
            in.port = report::portOf(device);
    }
    inputMessages_->set(device_, QStringLiteral("Dispositivo"), deviceProblem);
    if (in.port) {  // what velmiro-cli says under its question, while nothing is wrong
        std::ostringstream notes;
        report::writePortNotes(notes, *in.port, in.crystal);
        inputMessages_->note(QString::fromStdString(notes.str()).trimmed());
    } else {
        inputMessages_->note({});
    }

    // Only a family with synchronous modes lets them compete.
    const auto modes = family->modes;
    const bool hasSync = std::any_of(modes.begin(), modes.end(),
                                     [](const velmiro::ModeInfo& m) { return m.mode.sync != 0; });
    sync_->setEnabled(hasSync);
    QStringList syncKeys;
    for (const velmiro::ModeInfo& m : modes) {
        if (m.mode.sync != 0)
            syncKeys << text(m.key);
    }
    sync_->setToolTip(hasSync ? QStringLiteral("Il modo migliore tra i sincroni (%1)")
                                    .arg(syncKeys.join(QStringLiteral(", ")))
                              : QStringLiteral("Questa periferica non ha modi sincroni"));
    in.choice.sync = hasSync && sync_->isChecked();
    return in;
}

void Companion::inputsChanged() {
    modes_->view()->clearSelection();
    recompute();
}

void Companion::deviceEdited() {
    const velmiro::Device device = velmiro::deviceFromText(utf8(device_->text().trimmed()));
    if (device.problem == velmiro::DeviceProblem::None && device.family != nullptr) {
        const QSignalBlocker quiet(family_);
        family_->setCurrentIndex(family_->findData(text(device.family->key)));
    }
    inputsChanged();
}

void Companion::recompute() {
    status_->note({});
    guarded([this] {
        const Inputs in = readInputs();
        modes_->refresh(in);
        table_->refresh(in);
        crystals_->refresh(in);
        updateActions();
    });
}

void Companion::updateActions() {
    status_->note({});
    const QString prefixProblem =
        QString::fromStdString(report::prefixProblem(utf8(prefix_->text())));
    status_->set(prefix_, QStringLiteral("Prefisso"), prefixProblem);
    const velmiro::ModeResult* mode = modes_->headerMode();
    // The button says which mode it copies: the best, or the row chosen.
    copyHeader_->setText(
        QStringLiteral("Copia &intestazione C") +
        (mode != nullptr ? QStringLiteral(" (%1)").arg(modes_->headerTitle()) : QString()));
    copyHeader_->setEnabled(prefixProblem.isEmpty() && mode != nullptr);
    export_->setEnabled(currentTab()->ready());
}

void Companion::copyHeader() {
    const velmiro::ModeResult* mode = modes_->headerMode();
    if (mode == nullptr || !report::prefixProblem(utf8(prefix_->text())).empty())
        return;
    std::ostringstream out;
    modes_->writeHeader(out, utf8(prefix_->text()));
    QApplication::clipboard()->setText(QString::fromStdString(out.str()));
    status_->note(QStringLiteral("Intestazione C del modo %1 copiata negli appunti")
                      .arg(modes_->headerTitle()));
}

void Companion::exportCsv() {
    const ResultTab* tab = currentTab();
    if (!tab->ready())
        return;
    std::ostringstream out;
    tab->writeCsv(out);
    const QString path =
        runtime_.saveFileName(this, QStringLiteral("Esporta CSV"),
                              QDir::home().filePath(tab->csvName()), QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const std::string bytes = out.str();
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        status_->set(export_, {},
                     QStringLiteral("Non si può scrivere %1: %2").arg(path, file.errorString()));
        return;
    }
    status_->set(export_, {}, {});
    status_->note(QStringLiteral("Salvato %1").arg(QDir::toNativeSeparators(path)));
}

void Companion::copySelection() {
    for (ResultTab* tab : {static_cast<ResultTab*>(modes_), static_cast<ResultTab*>(table_),
                           static_cast<ResultTab*>(crystals_)}) {
        if (tab->view()->hasFocus()) {
            const QString text = tab->model()->selectedText(*tab->view()->selectionModel());
            if (!text.isEmpty())
                QApplication::clipboard()->setText(text);
        }
    }
}

void Companion::recolour() {
    // The window's own palette: the tables may hear of a new one only after it.
    const QColor base = palette().color(QPalette::Base);
    const QColor problem = toneColor(Tone::Outside, palette().color(QPalette::Window));
    const QColor plain = palette().color(QPalette::WindowText);
    for (ResultTab* tab : {static_cast<ResultTab*>(modes_), static_cast<ResultTab*>(table_),
                           static_cast<ResultTab*>(crystals_)})
        tab->recolour(base, problem, plain);
    inputMessages_->setColours(problem, plain);
    status_->setColours(problem, plain);
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
    settings_->save(*openSettings(settingsFile_));
    QWidget::closeEvent(event);
}

}  // namespace companion
