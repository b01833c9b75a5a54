#include <QtTest>
#include <QtWidgets>

#include <limits>
#include <memory>
#include <sstream>

#include "Companion.h"
#include "CompanionLauncher.h"
#include "CompanionModels.h"
#include "companion_cases.h"
#include "frmVelmiro.h"
#include "velmiro/report.h"
#include "velmiro_cli.h"

using companion::Companion;
using companion::Tab;
namespace report = velmiro::report;
namespace logic = velmiro::companion;
using velmiro::cases::familyIndex;

namespace {

// Answers the save question with a file of the test's choosing.
class SavingRuntime : public forms::Runtime {
  public:
    QString answer;
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return answer;
    }
};

template <typename T = QWidget>
T* named(QWidget* window, const QString& name) {
    for (T* widget : window->findChildren<T*>()) {
        if (widget->accessibleName() == name)
            return widget;
    }
    return nullptr;
}

}  // namespace

class CompanionTest : public QObject {
    Q_OBJECT

    SavingRuntime runtime;
    QTemporaryDir dir;
    std::unique_ptr<Companion> window;

    QString settingsFile() const { return dir.filePath("companion.ini"); }
    QTableView* view(const char* name) const { return named<QTableView>(window.get(), name); }
    // The texts of a table as its view shows them: a line of headers, then a line per row.
    QStringList shown(const char* name) const {
        const QAbstractItemModel* model = view(name)->model();
        QStringList lines{{}};
        for (int c = 0; c < model->columnCount(); ++c)
            lines[0] += (c ? "|" : "") + model->headerData(c, Qt::Horizontal).toString();
        for (int r = 0; r < model->rowCount(); ++r) {
            lines << QString();
            for (int c = 0; c < model->columnCount(); ++c)
                lines.last() += (c ? "|" : "") + model->index(r, c).data().toString();
        }
        return lines;
    }
    // Types into a field as a user does: focus, select all, replace.
    void type(const char* name, const QString& text) {
        auto* combo = named<QComboBox>(window.get(), name);
        QLineEdit* edit = combo ? combo->lineEdit() : named<QLineEdit>(window.get(), name);
        QVERIFY(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    QString problemOf(const char* name) const {
        return named(window.get(), name)->accessibleDescription();
    }
    // The bytes "Esporta CSV…" saves from the visible tab.
    QByteArray exported() {
        runtime.answer = dir.filePath("export.csv");
        QFile::remove(runtime.answer);
        QTest::mouseClick(named<QPushButton>(window.get(), "Esporta CSV"), Qt::LeftButton);
        QFile file(runtime.answer);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // What velmiro-cli prints for these arguments.
    static QByteArray output(const std::vector<std::string>& args) {
        std::ostringstream out, err;
        return velmiro::cli::run(args, out, err) < 2 ? QByteArray::fromStdString(out.str()) : "";
    }
    // Some label on screen says `text`; whole: the line under the inputs says
    // just that.
    bool saying(const QString& text, bool whole = false) const {
        if (whole) {
            QLabel* top = nullptr;
            for (QLabel* line : window->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
                if (line->wordWrap() && (top == nullptr || line->y() < top->y()))
                    top = line;
            }
            return top != nullptr && top->text() == text;
        }
        const auto labels = window->findChildren<QLabel*>();
        return std::any_of(labels.begin(), labels.end(),
                           [&](QLabel* l) { return l->text().contains(text) && !l->isHidden(); });
    }
    void open() {
        window = std::make_unique<Companion>(runtime, nullptr, settingsFile());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        QFile::remove(settingsFile());
        open();
    }
    void cleanup() {
        window.reset();
        QApplication::setPalette(QPalette());
    }

    // The shared table: what the logic decides, as this view shows it.
    void cases_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(velmiro::cases::companionCases)); ++i)
            QTest::newRow(velmiro::cases::companionCases[i].name) << i;
    }
    void cases() {
        QFETCH(int, index);
        const velmiro::cases::CompanionCase& c = velmiro::cases::companionCases[index];
        if (c.family != nullptr)
            named<QComboBox>(window.get(), "Periferica")->setCurrentIndex(familyIndex(c.family));
        if (c.sync)
            window->findChild<QCheckBox*>()->setChecked(true);
        for (const velmiro::cases::Typed& typed : c.typed) {
            if (typed.text != nullptr)
                type(logic::fieldText(typed.field).name, QString::fromUtf8(typed.text));
        }
        QVERIFY(saying(QString::fromUtf8(c.inputsLine), true));
        QCOMPARE(window->findChild<QCheckBox*>()->isEnabled(), c.syncEnabled);
        auto* header = named<QPushButton>(window.get(), "Copia intestazione C");
        QCOMPARE(header->text(), QString::fromUtf8(c.header));
        QCOMPARE(header->isEnabled(), c.headerEnabled);
        const char* table = logic::tableNames[std::size_t(c.tab)];
        const QStringList lines = shown(table);
        if (c.headers != nullptr)
            QCOMPARE(lines[0], QString::fromUtf8(c.headers));
        QCOMPARE(lines.size() - 1, c.rows);
        if (c.row < 0 || c.row >= c.rows)
            return;
        QStringList bold;
        const QStringList headers = lines[0].split('|');
        for (int column = 0; column < headers.size(); ++column) {
            const QModelIndex cell = view(table)->model()->index(c.row, column);
            if (cell.data(Qt::FontRole).value<QFont>().bold()) {
                bold << headers[column];
                QVERIFY(cell.data(Qt::AccessibleTextRole).toString().endsWith(", migliore"));
            }
        }
        if (c.cells != nullptr)
            QCOMPARE(lines[c.row + 1], QString::fromUtf8(c.cells));
        if (c.bold != nullptr)
            QCOMPARE(bold.join('|'), QString::fromUtf8(c.bold));
    }

    // A message appears under the fields, on the field for screen readers, and
    // nothing moves; the button keeps its width whatever mode it names.
    void nothingMoves() {
        const auto places = [this] {
            QList<QRect> r;
            for (const char* name : {"Quarzo", "Baud rate", "Tolleranza", "Dispositivo",
                                     "Copia intestazione C", "Esporta CSV"})
                r << named(window.get(), name)->geometry();
            return r << window->findChild<QTabWidget*>()->geometry();
        };
        QCoreApplication::processEvents();
        const QList<QRect> before = places();
        type("Tolleranza", "2.5x");
        QCoreApplication::processEvents();
        QCOMPARE(places(), before);
        QVERIFY(saying("Tolleranza: " + problemOf("Tolleranza"), true));
        type("Tolleranza", "1");
        named<QComboBox>(window.get(), "Periferica")->setCurrentIndex(familyIndex("uart16"));
        QCoreApplication::processEvents();
        QCOMPARE(named<QPushButton>(window.get(), "Copia intestazione C")->text(),
                 "Copia &intestazione C (BRGH 1)");
        QCOMPARE(places(), before);
        // A long part shows whole.
        auto* device = named<QLineEdit>(window.get(), "Dispositivo");
        device->setText("dsPIC33CK256MP508");
        QVERIFY(device->fontMetrics().horizontalAdvance(device->text()) <
                device->contentsRect().width());
    }

    // Columns fit when a table changes shape and only widen while the user types.
    void columnsStay() {
        auto* rate = named<QComboBox>(window.get(), "Baud rate");
        QHeaderView* header = view("Modi")->horizontalHeader();
        rate->setEditText("1200");  // "255 (max)" in n
        QList<int> before;
        for (int c = 0; c < header->count(); ++c)
            before << header->sectionSize(c);
        rate->setEditText("115200");
        for (int c = 0; c < header->count(); ++c)
            QVERIFY(header->sectionSize(c) >= before[c]);
    }

    // The header on the clipboard and each tab's CSV file are velmiro-cli's bytes for
    // the same inputs: the header of the best mode, or of the selected row's mode.
    void sameBytesAsTheCommandLine() {
        type("Quarzo", "11,0592M");
        type("Baud rate", "115200");
        type("Tolleranza", "2.5");
        type("Errore del clock", "0,2");
        type("Frequenza massima", "20M");
        const auto cli = [](std::vector<std::string> args) {
            for (const char* judged : {"--tolerance", "2,5", "--clock-error", "0,2"})
                args.push_back(judged);
            return output(args);
        };
        const QByteArray csv[] = {
            cli({"compare", "11,0592M", "115200", "--format", "csv"}),
            cli({"table", "11,0592M", "--format", "csv"}),
            cli({"crystals", "9600", "115200", "--max-frequency", "20M", "--format", "csv"})};
        for (Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals}) {
            window->showTab(tab);
            QCOMPARE(exported(), csv[int(tab)]);
        }
        auto* button = named<QPushButton>(window.get(), "Copia intestazione C");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text().toUtf8(), cli({"header", "11,0592M", "115200"}));
        view("Modi")->selectRow(2);  // mode 010
        type("Prefisso", "UART_");
        QCOMPARE(button->text(), "Copia &intestazione C (010)");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text().toUtf8(),
                 cli({"header", "11,0592M", "115200", "--mode", "010", "--prefix", "UART_"}));
        // Collegamento at Baud rate, then at every standard rate.
        window->showTab(Tab::Link);
        type("Altro capo", "cp2104");
        type("Trama", "7e2");
        QCOMPARE(exported(), cli({"link", "11,0592M", "115200", "--peer", "cp2104", "--frame",
                                  "7E2", "--format", "csv"}));
        for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
            if (box->text() == QString::fromUtf8(logic::allRatesCaption))
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        }
        QCOMPARE(exported(), cli({"link", "11,0592M", "--peer", "cp2104", "--frame", "7E2",
                                  "--format", "csv"}));
        // With a part, velmiro-cli's bytes with the same --device.
        type("Dispositivo", "PIC16F877A");
        window->showTab(Tab::Modes);
        QCOMPARE(exported(),
                 output({"compare", "11,0592M", "115200", "--device", "PIC16F877A", "--tolerance",
                         "2,5", "--clock-error", "0,2", "--format", "csv"}));
    }

    void copyRowsAndPickACrystal() {
        type("Quarzo", "20M");
        type("Baud rate", "19200");
        QTableView* modes = view("Modi");
        modes->setFocus();
        modes->selectRow(1);
        QTest::keyClick(modes, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 QString(velmiro::cases::companionCases[0].cells).replace('|', '\t') + '\n');

        window->showTab(Tab::Crystals);
        QTableView* crystals = view("Quarzi");
        const QString crystal = shown("Quarzi").value(1).section('|', 0, 0);
        crystals->setFocus();
        // From any cell of the row, as a double click does.
        crystals->setCurrentIndex(
            crystals->model()->index(0, crystals->model()->columnCount() - 1));
        QTest::keyClick(crystals, Qt::Key_Return);
        QCOMPARE(named<QComboBox>(window.get(), "Quarzo")->currentText(), crystal);
        QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), int(Tab::Modes));
    }

    // Every mnemonic leads to one place only; F3 shows the table.
    void keyboard() {
        QStringList keys;
        auto add = [&keys](const QString& text) {
            if (const auto i = text.indexOf('&'); i >= 0)
                keys << text.mid(i + 1, 1).toLower();
        };
        for (auto* label : window->findChildren<QLabel*>())
            add(label->text());
        for (auto* button : window->findChildren<QAbstractButton*>())
            add(button->text());
        auto* tabs = window->findChild<QTabWidget*>();
        for (int i = 0; i < tabs->count(); ++i)
            add(tabs->tabText(i));
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), keys.size());

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F3);
        QCOMPARE(tabs->currentIndex(), int(Tab::Table));
    }

    // Inputs, tab and size come back; a garbled file or odd values are ignored.
    void settings() {
        type("Quarzo", "8M");
        type("Tolleranza", "2,5");
        type("Dispositivo", "pic18f25k42");
        window->showTab(Tab::Crystals);
        // Narrow and low: within the offscreen screen, at twice the pixels too.
        const QSize wanted(window->minimumSizeHint().width(),
                           std::max(window->minimumSizeHint().height(), 390));
        window->resize(wanted);
        window->close();
        open();
        QCOMPARE(named<QComboBox>(window.get(), "Quarzo")->currentText(), "8M");
        QCOMPARE(named<QLineEdit>(window.get(), "Tolleranza")->text(), "2,5");
        QCOMPARE(named<QComboBox>(window.get(), "Periferica")->currentIndex(),
                 familyIndex("uart18"));
        QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), int(Tab::Crystals));
        QCOMPARE(window->size(), wanted);

        for (const QByteArray& garbage :
             {QByteArray("\x00\xff[[\n=\x01tab=\xfe", 13),
              QByteArray("[General]\ntolerance=500\nclockError=-1\ntab=7\nsync=forse\n"
                         "width=1\nheight=1\ncrystal=@Variant(\\0\\0\\0\\x7f)\n")}) {
            window.reset();
            QFile file(settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(garbage) == garbage.size());
            file.close();
            open();
            QCOMPARE(named<QLineEdit>(window.get(), "Tolleranza")->text(), "1");
            QCOMPARE(named<QLineEdit>(window.get(), "Errore del clock")->text(), "0");
            QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), 0);
            QCOMPARE(shown("Modi").size(), 7);
        }
    }

    // Green and red read at 3:1 on the tables' background, light or dark.
    void colours_data() {
        QTest::addColumn<QColor>("base");
        for (const QColor base :
             {QColor(Qt::white), QColor(0x24, 0x24, 0x24), QColor(0x60, 0x60, 0x60)})
            QTest::newRow(qPrintable(base.name())) << base;
    }
    void colours() {
        QFETCH(QColor, base);
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Window, base.lighter(120));
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
        type("Quarzo", "20M");
        type("Baud rate", "9600");  // one mode out of tolerance, the others within
        QSet<QRgb> seen;
        const QAbstractItemModel* model = view("Modi")->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            const QVariant colour = model->index(row, 9).data(Qt::ForegroundRole);
            QVERIFY(colour.isValid());
            seen << colour.value<QColor>().rgb();
            QVERIFY(forms::contrastRatio(colour.value<QColor>(), base) >= 3.0);
        }
        QCOMPARE(seen.size(), 2);
        if (base == Qt::white)  // the main window's own colours where they read
            QVERIFY(seen.contains(qRgb(0, 140, 0)) && seen.contains(qRgb(250, 0, 0)));
    }

    // From the main window: F2, F3 and F4 open one companion with its texts.
    void fromTheMainWindow() {
        window.reset();
        frmVelmiro main(runtime);
        companion::CompanionLauncher launcher(main, runtime, settingsFile());
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.findChild<QComboBox*>("cboQuarzo")->setEditText("16.000.000");
        QTest::keyClick(&main, Qt::Key_F3);
        Companion* first = launcher.companion();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->findChild<QTabWidget*>()->currentIndex(), int(Tab::Table));
        QCOMPARE(named<QComboBox>(first, "Quarzo")->currentText(), "16.000.000");
        QCOMPARE(named<QComboBox>(first, "Baud rate")->currentText(), "19.200");

        // A text that does not read is not taken; the one companion is raised.
        main.findChild<QComboBox*>("cboVelmiro")->setEditText("veloce");
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_F4);
        QCOMPARE(launcher.companion(), first);
        QCOMPARE(first->findChild<QTabWidget*>()->currentIndex(), int(Tab::Crystals));
        QCOMPARE(named<QComboBox>(first, "Baud rate")->currentText(), "19.200");

        // Closed, then opened again after the main window's texts changed: it takes them.
        first->close();
        main.findChild<QComboBox*>("cboQuarzo")->setEditText("8.000.000");
        main.findChild<QComboBox*>("cboVelmiro")->setEditText("9.600");
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_F2);
        QCOMPARE(launcher.companion(), first);
        QVERIFY(first->isVisible());
        QCOMPARE(named<QComboBox>(first, "Quarzo")->currentText(), "8.000.000");
        QCOMPARE(named<QComboBox>(first, "Baud rate")->currentText(), "9.600");
        QCOMPARE(first->findChild<QTabWidget*>()->currentIndex(), int(Tab::Modes));
        main.close();
        QVERIFY(!first->isVisible());
    }
};

QTEST_MAIN(CompanionTest)
#include "companion_test.moc"
