#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <sstream>

#include "Companion.h"
#include "CompanionLauncher.h"
#include "CompanionModels.h"
#include "frmVelmiro.h"
#include "velmiro/report.h"
#include "velmiro_cli.h"

using companion::Companion;
using companion::Tab;
namespace report = velmiro::report;

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
    const companion::Grid& grid(const char* name) const {
        return static_cast<companion::GridModel*>(view(name)->model())->grid();
    }
    // Types into a field as a user does: focus, select all, replace.
    void type(const char* name, const QString& text) {
        QWidget* field = named(window.get(), name);
        QLineEdit* edit = qobject_cast<QComboBox*>(field)
                              ? qobject_cast<QComboBox*>(field)->lineEdit()
                              : qobject_cast<QLineEdit*>(field);
        QVERIFY(edit);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    QString problemOf(const char* name) const {
        return named(window.get(), name)->accessibleDescription();
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

    // Worked values, typed live; a blank worst case: no clock error, no such column.
    void modes_data() {
        QTest::addColumn<QString>("crystal");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("clockError");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("n");
        QTest::addColumn<QString>("deviation");
        QTest::addColumn<QString>("worst");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<bool>("best");
        QTest::newRow("20M 19200") << "20M"
                                   << "19200"
                                   << "0"
                                   << "001"
                                   << "64"
                                   << "0,16"
                                   << ""
                                   << "ok" << true;
        QTest::newRow("20M 1200 limited") << "20.000.000"
                                          << "1.200"
                                          << "0"
                                          << "000"
                                          << "255 (max)"
                                          << "1,73"
                                          << ""
                                          << "fuori tolleranza" << false;
        QTest::newRow("20M 1200 16-bit") << "20M"
                                         << "1200"
                                         << "0"
                                         << "011"
                                         << "4166"
                                         << "-0,01"
                                         << ""
                                         << "ok" << true;
        QTest::newRow("5,0688M 57600") << "5,0688M"
                                       << "57600"
                                       << "0"
                                       << "011"
                                       << "21"
                                       << "0,00"
                                       << ""
                                       << "ok" << true;
        QTest::newRow("clock error") << "20M"
                                     << "19200"
                                     << "0,5"
                                     << "001"
                                     << "64"
                                     << "0,16"
                                     << "0,66"
                                     << "ok" << true;
        QTest::newRow("clock error with a point") << "20M"
                                                  << "19200"
                                                  << "0.5"
                                                  << "001"
                                                  << "64"
                                                  << "0,16"
                                                  << "0,66"
                                                  << "ok" << true;
    }
    void modes() {
        QFETCH(QString, crystal);
        QFETCH(QString, rate);
        QFETCH(QString, clockError);
        QFETCH(QString, mode);
        QFETCH(QString, n);
        QFETCH(QString, deviation);
        QFETCH(QString, worst);
        QFETCH(QString, verdict);
        QFETCH(bool, best);
        type("Quarzo", crystal);
        type("Baud rate", rate);
        type("Errore del clock", clockError);
        const companion::Grid& g = grid("Modi");
        QCOMPARE(g.rows.size(), 6);
        QCOMPARE(g.headers.contains("peggiore %"), !worst.isEmpty());
        for (int i = 0; i < g.rows.size(); ++i) {
            const companion::Row& r = g.rows[i];
            if (!r[0].text.startsWith(mode))
                continue;
            QCOMPARE(r[5].text, n);
            QCOMPARE(r[9].text, deviation);
            if (!worst.isEmpty())
                QCOMPARE(r[10].text, worst);
            QCOMPARE(r.last().text, verdict);
            QCOMPARE(r[0].text.endsWith("(migliore)"), best);
            const QModelIndex cell = view("Modi")->model()->index(i, 9);
            QCOMPARE(cell.data(Qt::AccessibleTextRole).toString().contains("migliore"), best);
            return;
        }
        QFAIL("no such mode");
    }

    // A text that does not read empties its tables and says why under the field; the
    // next good one brings all back.
    void messages_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("emptied");  // tables left empty
        QTest::newRow("crystal") << "Quarzo"
                                 << "20 MHz x"
                                 << "Modi Tabella";
        QTest::newRow("zero rate") << "Baud rate"
                                   << "0"
                                   << "Modi";
        QTest::newRow("ambiguous rate") << "Baud rate"
                                        << "1.000k"
                                        << "Modi";
        QTest::newRow("table rates") << "Baud rate della tabella"
                                     << "300 9k6"
                                     << "Tabella";
        QTest::newRow("crystal rates") << "Baud rate voluti"
                                       << ""
                                       << "Quarzi";
        QTest::newRow("range") << "Frequenza minima"
                               << "30M"
                               << "Quarzi";
    }
    void messages() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, emptied);
        named<QLineEdit>(window.get(), "Frequenza massima")->setText("20M");
        type(field.toUtf8(), text);
        for (Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals}) {  // and nothing to export
            const char* table = std::array{"Modi", "Tabella", "Quarzi"}[std::size_t(tab)];
            QCOMPARE(grid(table).rows.isEmpty(), emptied.contains(table));
            window->showTab(tab);
            QCOMPARE(named(window.get(), "Esporta CSV")->isEnabled(), !emptied.contains(table));
        }
        const QString problem = problemOf(field.toUtf8());
        QVERIFY(!problem.isEmpty());
        const auto labels = window->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
            return l->text().contains(problem) && !l->isHidden();
        }));
        if (field == "Baud rate" || field == "Quarzo")
            QCOMPARE(problem, QString::fromStdString(
                                  report::readPositiveQuantity(text.toStdString()).problem));
        type(field.toUtf8(), field == "Frequenza minima" ? "4M" : "19200");
        if (field == "Quarzo")
            type("Quarzo", "20M");
        QCOMPARE(problemOf(field.toUtf8()), QString());
        for (const char* table : {"Modi", "Tabella", "Quarzi"})
            QVERIFY(!grid(table).rows.isEmpty());
        QVERIFY(window->isVisible());
    }

    // The header on the clipboard and each tab's CSV are velmiro-cli's bytes for the
    // same inputs: the header of the best mode, or of the selected row's mode.
    void sameBytesAsTheCommandLine() {
        type("Quarzo", "11,0592M");
        type("Baud rate", "115200");
        type("Tolleranza", "2.5");
        type("Errore del clock", "0,2");
        type("Frequenza massima", "20M");
        const std::vector<std::string> judged{"--tolerance", "2,5", "--clock-error", "0,2"};
        const std::vector<std::string> commands[] = {
            {"compare", "11,0592M", "115200", "--format", "csv"},
            {"table", "11,0592M", "--format", "csv"},
            {"crystals", "9600", "115200", "--max-frequency", "20M", "--format", "csv"},
            {"header", "11,0592M", "115200"},
            {"header", "11,0592M", "115200", "--mode", "010", "--prefix", "UART_"}};
        QStringList expected;
        for (std::vector<std::string> args : commands) {
            args.insert(args.end(), judged.begin(), judged.end());
            std::ostringstream out, err;
            QVERIFY(velmiro::cli::run(args, out, err) < 2);
            expected << QString::fromStdString(out.str());
        }
        for (Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals}) {
            window->showTab(tab);
            runtime.answer = dir.filePath(QString("tab%1.csv").arg(int(tab)));
            QTest::mouseClick(named<QPushButton>(window.get(), "Esporta CSV"), Qt::LeftButton);
            QFile file(runtime.answer);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), expected[int(tab)].toUtf8());
        }
        auto* button = named<QPushButton>(window.get(), "Copia intestazione C");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), expected[3]);
        view("Modi")->selectRow(2);  // mode 010
        type("Prefisso", "UART_");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(), expected[4]);

        type("Prefisso", "9X");
        QVERIFY(!button->isEnabled());
        QCOMPARE(problemOf("Prefisso"), QString::fromStdString(report::prefixProblem("9X")));
    }

    void copyRowsAndPickACrystal() {
        type("Quarzo", "20M");
        type("Baud rate", "19200");
        QTableView* modes = view("Modi");
        modes->setFocus();
        modes->selectRow(1);
        QTest::keyClick(modes, Qt::Key_C, Qt::ControlModifier);
        const QStringList cells = QApplication::clipboard()->text().split('\t');
        QCOMPARE(cells.size(), grid("Modi").headers.size());
        QCOMPARE(cells.first(), "001 (migliore)");
        QVERIFY(cells.last().endsWith('\n'));

        window->showTab(Tab::Crystals);
        QTableView* crystals = view("Quarzi");
        const QString crystal = grid("Quarzi").rows.value(0).value(0).text;
        QVERIFY(!crystal.isEmpty());
        crystals->setFocus();
        crystals->setCurrentIndex(crystals->model()->index(0, 0));
        QTest::keyClick(crystals, Qt::Key_Return);  // as a double click does
        QCOMPARE(named<QComboBox>(window.get(), "Quarzo")->currentText(), crystal);
        QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), int(Tab::Modes));
    }

    // Every mnemonic leads to one place only, and reaches it.
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
        QCOMPARE(keys.size(), 15);

        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::AltModifier);  // Quar&zi
        QCOMPARE(tabs->currentIndex(), int(Tab::Crystals));
        QTest::keyClick(window.get(), Qt::Key_D, Qt::AltModifier);  // Frequenza &da
        QCOMPARE(QApplication::focusWidget(), named(window.get(), "Frequenza minima"));
        QTest::keyClick(window.get(), Qt::Key_F3);
        QCOMPARE(tabs->currentIndex(), int(Tab::Table));
    }

    // Inputs, tab and size come back; a garbled file or odd values are ignored.
    void settings() {
        type("Quarzo", "8M");
        type("Tolleranza", "2,5");
        window->showTab(Tab::Crystals);
        // Narrow and low: within the offscreen screen, at twice the pixels too.
        const QSize wanted(window->minimumSizeHint().width(),
                           std::max(window->minimumSizeHint().height(), 390));
        window->resize(wanted);
        window->close();
        open();
        QCOMPARE(named<QComboBox>(window.get(), "Quarzo")->currentText(), "8M");
        QCOMPARE(named<QLineEdit>(window.get(), "Tolleranza")->text(), "2,5");
        QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), int(Tab::Crystals));
        QCOMPARE(window->size(), wanted);

        for (const QByteArray& garbage :
             {QByteArray("\x00\xff[[\n=\x01tab=\xfe", 13),
              QByteArray("[General]\ntolerance=500\nclockError=-1\ntab=7\nsync=forse\n"
                         "size=@Size(1 1)\ncrystal=@Variant(\\0\\0\\0\\x7f)\n")}) {
            window.reset();
            QFile file(settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
            file.close();
            open();
            QCOMPARE(named<QLineEdit>(window.get(), "Tolleranza")->text(), "1");
            QCOMPARE(named<QLineEdit>(window.get(), "Errore del clock")->text(), "0");
            QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), 0);
            QVERIFY(!grid("Modi").rows.isEmpty());
        }
    }

    // Green and red read at 3:1 on the tables' background, light or dark.
    void colours_data() {
        QTest::addColumn<QColor>("base");
        QTest::newRow("light") << QColor(Qt::white);
        QTest::newRow("dark") << QColor(0x24, 0x24, 0x24);
        QTest::newRow("grey") << QColor(0x60, 0x60, 0x60);
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

    // From the main window: F2 and the context menu open one companion with its texts.
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

        // A right click on the chip brings the window's menu, with the keys shown, and
        // its last entry; one in the crystal field brings the field's own edit menu.
        // A text that does not read is not taken; the one companion is raised.
        main.findChild<QComboBox*>("cboVelmiro")->setEditText("veloce");
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QStringList menus;
        QApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus);  // as some desktops
        QWidget* const targets[] = {main.findChild<QWidget*>("Picture2"),
                                    main.findChild<QComboBox*>("cboQuarzo")->lineEdit()};
        for (QWidget* target : targets) {
            QTimer::singleShot(0, [&menus] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu);
                QStringList entries;
                for (QAction* action : menu->actions()) {
                    if (!action->isSeparator())
                        entries << action->text() + (action->isShortcutVisibleInContextMenu()
                                                         ? ' ' + action->shortcut().toString()
                                                         : QString());
                }
                menus << entries.join(", ");
                if (entries.size() == 3)
                    menu->actions().constLast()->trigger();
                menu->close();
            });
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    target->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(target, &click);
            QTRY_COMPARE(menus.size(), target == targets[0] ? 1 : 2);  // an edit menu pops up later
        }
        QCOMPARE(menus[0], "Tutti i modi… F2, Tabella del quarzo… F3, Cerca quarzi… F4");
        QApplication::setAttribute(Qt::AA_DontShowShortcutsInContextMenus, false);
        QVERIFY(!menus[1].isEmpty() && !menus[1].contains("Tutti i modi"));
        QCOMPARE(launcher.companion(), first);
        QCOMPARE(first->findChild<QTabWidget*>()->currentIndex(), int(Tab::Crystals));
        QCOMPARE(named<QComboBox>(first, "Baud rate")->currentText(), "19.200");
        main.close();
        QVERIFY(!first->isVisible());
    }
};

QTEST_MAIN(CompanionTest)
#include "companion_test.moc"
