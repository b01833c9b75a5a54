#include "Companion.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "CompanionModels.h"
#include "CompanionSettings.h"
#include "CompanionTabs.h"
#include "forms.h"

namespace companion {

namespace logic = velmiro::companion;
using logic::Line;

namespace {

QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QLabel* label(const char* text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(qt(text), parent);
    l->setBuddy(buddy);
    return l;
}

QComboBox* listBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);  // typing is not completed into a preset
    return box;
}

}  // namespace

Companion::Companion(forms::Runtime& runtime, QWidget* parent, const QString& settingsFile)
    : QWidget(parent, Qt::Window), runtime_(runtime), settingsFile_(settingsFile) {
    setWindowTitle(qt(logic::windowTitle));
    if (parent == nullptr)  // alone; beside the main window it shares its icon
        setWindowIcon(forms::programIcon());
    auto* top = new QVBoxLayout(this);
    buildInputs();
    tabs_ = new QTabWidget(this);
    for (const Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals, Tab::Link})
        tabs_->addTab(buildPage(tab), qt(logic::tabTitles[static_cast<std::size_t>(tab)]));
    top->addWidget(tabs_, 1);
    buildActions();

    logic_ = std::make_unique<logic::Companion>(static_cast<logic::View&>(*this));
    quiet_ = true;
    logic_->load(*openStore(settingsFile_));
    quiet_ = false;
    connectAll();
    recolour();
}

Companion::~Companion() = default;

void Companion::buildInputs() {
    auto* inputs = new QGridLayout;
    static_cast<QVBoxLayout*>(layout())->addLayout(inputs);
    crystal_ = listBox(this);
    rate_ = listBox(this);
    clock_ = listBox(this);
    source_ = listBox(this);
    for (const Field f : {Field::Tolerance, Field::ClockError, Field::Device, Field::Pll})
        edits_[static_cast<std::size_t>(f)] = new QLineEdit(this);
    sync_ = new QCheckBox(qt(logic::syncCaption), this);
    family_ = new QComboBox(this);
    family_->setAccessibleName(qt(logic::familyName));
    // The texts are long: the closed box takes the room it is given, the list shows them whole.
    family_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    family_->setMinimumContentsLength(24);
    family_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lines_[static_cast<std::size_t>(Line::Inputs)] = new MessageLine(this, logic::inputsLineHeight);

    const auto place = [&](Field f, int row, int column) {
        QLabel* named = label(logic::fieldText(f).label, field(f), this);
        inputs->addWidget(named, row, column);
        inputs->addWidget(field(f), row, column + 1);
        return named;
    };
    crystalLabel_ = place(Field::Crystal, 0, 0);
    place(Field::Rate, 0, 2);
    inputs->addWidget(sync_, 0, 4, 1, 2);
    place(Field::Pll, 1, 0);
    place(Field::Clock, 1, 2);
    place(Field::Source, 1, 4);
    place(Field::Tolerance, 2, 0);
    place(Field::ClockError, 2, 2);
    inputs->addWidget(label(logic::familyLabel, family_, this), 3, 0);
    inputs->addWidget(family_, 3, 1, 1, 5);
    place(Field::Device, 4, 0);
    inputs->addWidget(lines_[static_cast<std::size_t>(Line::Inputs)], 5, 0, 1, 6);
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16;
    for (const Field f : {Field::Crystal, Field::Rate, Field::Tolerance, Field::ClockError,
                          Field::Pll, Field::Clock})
        field(f)->setFixedWidth(width);
    source_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0")) * 14);
    // A long part number shows whole.
    QLineEdit* device = edits_[static_cast<std::size_t>(Field::Device)];
    const QMargins margins = device->textMargins() + device->contentsMargins();
    device->setFixedWidth(
        std::max(width, device->fontMetrics().horizontalAdvance(qt(logic::widestDevice)) +
                            margins.left() + margins.right() + 16));
    inputs->setColumnStretch(5, 1);  // the room goes right
}

QWidget* Companion::buildPage(Tab tab) {
    auto* page = new QWidget(this);
    const auto i = static_cast<std::size_t>(tab);
    models_[i] = new GridModel(page);
    views_[i] = gridView(models_[i], qt(logic::tableNames[i]), page);
    auto* layout = new QGridLayout(page);
    const auto edit = [&](Field f) {
        auto* e = new QLineEdit(page);
        edits_[static_cast<std::size_t>(f)] = e;
        return e;
    };
    if (tab == Tab::Modes) {
        layout->setContentsMargins({});
        layout->addWidget(views_[i], 0, 0);
        return page;
    }
    if (tab == Tab::Table) {
        lines_[static_cast<std::size_t>(Line::Table)] = new MessageLine(page);
        QLineEdit* rates = edit(Field::TableRates);
        layout->addWidget(label(logic::fieldText(Field::TableRates).label, rates, page), 0, 0);
        layout->addWidget(rates, 0, 1);
        layout->addWidget(lines_[static_cast<std::size_t>(Line::Table)], 1, 1);
        layout->addWidget(views_[i], 2, 0, 1, 2);
        layout->setRowStretch(2, 1);
        return page;
    }
    if (tab == Tab::Link)
        return buildLink(page, *layout, views_[i]);
    lines_[static_cast<std::size_t>(Line::Crystals)] = new MessageLine(page);
    views_[i]->setToolTip(qt(logic::crystalsTip));
    const auto place = [&](Field f, int row, int column, int span) {
        QLineEdit* e = edit(f);
        layout->addWidget(label(logic::fieldText(f).label, e, page), row, column);
        layout->addWidget(e, row, column + 1, 1, span);
    };
    place(Field::CrystalRates, 0, 0, 3);
    place(Field::Minimum, 1, 0, 1);
    place(Field::Maximum, 1, 2, 1);
    layout->addWidget(lines_[static_cast<std::size_t>(Line::Crystals)], 2, 1, 1, 3);
    layout->addWidget(views_[i], 3, 0, 1, 4);
    layout->setRowStretch(3, 1);
    return page;
}

QWidget* Companion::buildLink(QWidget* page, QGridLayout& layout, QTableView* grid) {
    peer_ = listBox(page);
    for (const Field f : {Field::PeerClock, Field::PeerClockError, Field::Frame, Field::Margin})
        edits_[static_cast<std::size_t>(f)] = new QLineEdit(page);
    allRates_ = new QCheckBox(qt(logic::allRatesCaption), page);
    allRates_->setToolTip(qt(logic::allRatesTip));
    auto* line = new MessageLine(page);
    lines_[static_cast<std::size_t>(Line::Link)] = line;
    const auto place = [&](Field f, int row, int column) {
        layout.addWidget(label(logic::fieldText(f).label, field(f), page), row, column);
        layout.addWidget(field(f), row, column + 1);
    };
    place(Field::Peer, 0, 0);
    place(Field::PeerClock, 0, 2);
    place(Field::Frame, 1, 0);
    place(Field::PeerClockError, 1, 2);
    place(Field::Margin, 2, 0);
    layout.addWidget(allRates_, 2, 2, 1, 2);
    layout.addWidget(line, 3, 0, 1, 5);
    layout.addWidget(grid, 4, 0, 1, 5);
    layout.setRowStretch(4, 1);
    layout.setColumnStretch(4, 1);  // the room goes right
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("0")) * 16;
    for (const Field f :
         {Field::Peer, Field::PeerClock, Field::PeerClockError, Field::Frame, Field::Margin})
        field(f)->setFixedWidth(width);
    return page;
}

void Companion::buildActions() {
    auto* actions = new QGridLayout;
    static_cast<QVBoxLayout*>(layout())->addLayout(actions);
    QLineEdit* prefix = new QLineEdit(this);
    edits_[static_cast<std::size_t>(Field::Prefix)] = prefix;
    copyHeader_ = new QPushButton(this);
    copyHeader_->setAccessibleName(qt(logic::headerName));
    copyHeader_->setToolTip(qt(logic::headerTip));
    // As wide as its widest text from the start: nothing moves when it changes.
    int widest = 0;
    for (const std::string& text : logic::Companion::headerButtonTexts()) {
        copyHeader_->setText(qt(text));
        widest = std::max(widest, copyHeader_->sizeHint().width());
    }
    copyHeader_->setMinimumWidth(widest);
    export_ = new QPushButton(qt(logic::exportCaption), this);
    export_->setAccessibleName(qt(logic::exportName));
    export_->setToolTip(qt(logic::exportTip));
    auto* status = new MessageLine(this);
    lines_[static_cast<std::size_t>(Line::Status)] = status;
    actions->addWidget(label(logic::fieldText(Field::Prefix).label, prefix, this), 0, 0);
    actions->addWidget(prefix, 0, 1);
    actions->addWidget(copyHeader_, 0, 2);
    actions->addWidget(export_, 0, 4);
    actions->addWidget(status, 0, 3);  // beside the buttons it speaks of
    actions->setColumnStretch(3, 1);

    for (int f = 0; f < logic::fieldCount; ++f) {
        const logic::FieldText& t = logic::fieldText(static_cast<Field>(f));
        QWidget* w = field(static_cast<Field>(f));
        w->setAccessibleName(qt(t.name));
        if (*t.tip != '\0')
            w->setToolTip(qt(t.tip));
        if (auto* box = qobject_cast<QComboBox*>(w))
            w = box->lineEdit();
        if (auto* e = qobject_cast<QLineEdit*>(w); e != nullptr && *t.placeholder != '\0')
            e->setPlaceholderText(qt(t.placeholder));
    }
}

QWidget* Companion::field(Field f) const {
    if (f == Field::Crystal)
        return crystal_;
    if (f == Field::Rate)
        return rate_;
    if (f == Field::Peer)
        return peer_;
    if (f == Field::Clock)
        return clock_;
    if (f == Field::Source)
        return source_;
    return edits_[static_cast<std::size_t>(f)];
}

void Companion::connectAll() {
    // Every change recomputes at once; there is no button to press.
    const auto deliver = [this](auto handler) {
        return [this, handler] {
            if (!quiet_)
                handler(*logic_);
        };
    };
    for (int f = 0; f < logic::fieldCount; ++f) {
        const auto which = static_cast<Field>(f);
        const auto edited = deliver([which](logic::Companion& c) { c.edited(which); });
        if (auto* box = qobject_cast<QComboBox*>(field(which)))
            connect(box, &QComboBox::currentTextChanged, this, edited);
        else
            connect(edits_[static_cast<std::size_t>(f)], &QLineEdit::textChanged, this, edited);
    }
    connect(sync_, &QCheckBox::toggled, this,
            deliver([](logic::Companion& c) { c.syncToggled(); }));
    connect(allRates_, &QCheckBox::toggled, this,
            deliver([](logic::Companion& c) { c.allRatesToggled(); }));
    connect(family_, &QComboBox::currentIndexChanged, this,
            deliver([](logic::Companion& c) { c.familyChosen(); }));
    connect(views_[0]->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            deliver([](logic::Companion& c) { c.selectionChanged(); }));
    connect(tabs_, &QTabWidget::currentChanged, this,
            deliver([](logic::Companion& c) { c.tabChanged(); }));
    connect(copyHeader_, &QPushButton::clicked, this, [this] { logic_->copyHeader(); });
    connect(export_, &QPushButton::clicked, this, [this] { logic_->exportCsv(); });
    connect(views_[static_cast<std::size_t>(Tab::Crystals)], &QTableView::activated, this,
            [this](const QModelIndex& index) { logic_->crystalChosen(index.row()); });

    for (const Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals, Tab::Link}) {
        QTableView* view = views_[static_cast<std::size_t>(tab)];
        auto* copy = new QAction(qt(logic::copyCaption), view);
        copy->setShortcut(QKeySequence::Copy);
        copy->setShortcutContext(Qt::WidgetShortcut);
        copy->setShortcutVisibleInContextMenu(true);
        connect(copy, &QAction::triggered, this, [this, tab] { logic_->copyRows(tab); });
        view->addAction(copy);
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    // The main window's keys choose the tabs here too; Ctrl+W closes.
    for (const logic::Opening& opening : logic::openings) {
        auto* key = new QAction(this);
        key->setShortcut(QKeySequence(Qt::Key_F1 + opening.functionKey - 1));
        const Tab tab = opening.tab;
        connect(key, &QAction::triggered, this, [this, tab] { showTab(tab); });
        addAction(key);
    }
    auto* close = new QAction(this);
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    const auto edit = [this](Field f) { return field(f); };
    const QList<QWidget*> order{edit(Field::Crystal),
                                edit(Field::Rate),
                                sync_,
                                edit(Field::Pll),
                                edit(Field::Clock),
                                edit(Field::Source),
                                edit(Field::Tolerance),
                                edit(Field::ClockError),
                                family_,
                                edit(Field::Device),
                                tabs_,
                                views_[0],
                                edit(Field::TableRates),
                                views_[1],
                                edit(Field::CrystalRates),
                                edit(Field::Minimum),
                                edit(Field::Maximum),
                                views_[2],
                                edit(Field::Peer),
                                edit(Field::PeerClock),
                                edit(Field::PeerClockError),
                                edit(Field::Frame),
                                edit(Field::Margin),
                                allRates_,
                                views_[3],
                                edit(Field::Prefix),
                                copyHeader_,
                                export_};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void Companion::showTab(Tab tab) {
    logic_->showTab(tab);
}

void Companion::recolour() {
    // The window's own palette: the tables may hear of a new one only after it.
    const QColor base = palette().color(QPalette::Base);
    const QColor problem =
        toneColor(velmiro::report::Tone::Outside, palette().color(QPalette::Window));
    const QColor plain = palette().color(QPalette::WindowText);
    for (GridModel* model : models_)
        model->setBackground(base);
    for (MessageLine* line : lines_)
        line->setColours(problem, plain);
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
    logic_->save(*openStore(settingsFile_));
    QWidget::closeEvent(event);
}

}  // namespace companion
