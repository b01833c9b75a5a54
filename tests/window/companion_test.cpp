#include <QtTest>
#include <QtWidgets>

#include <limits>
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

// Worked values, typed live, each mode's row whole and in order; a blank
// worst case: no clock error, no such column.
struct ModeCase {
    const char *name, *device, *family, *crystal, *rate, *tolerance, *clockError;
    int modes;
    QStringList row;  // the mode marked best is bold as well
};
// clang-format off
const ModeCase modeCases[] = {
    {"20M 19200", "", "eusart", "20M", "19200", "1", "0", 6, {"001 (migliore)", "0", "0", "1", "16", "64", "0x00", "0x40", "19230,77", "0,16", "ok"}},
    {"16-bit row", "", "eusart", "20M", "19200", "1", "0", 6, {"011", "0", "1", "1", "4", "259", "0x01", "0x03", "19230,77", "0,16", "ok"}},
    {"limited", "", "eusart", "20.000.000", "1.200", "1", "0", 6, {"000", "0", "0", "0", "64", "255 (max)", "0x00", "0xFF", "1220,70", "1,73", "fuori tolleranza"}},
    {"5,0688M 57600", "", "eusart", "5,0688M", "57600", "1", "0", 6, {"011 (migliore)", "0", "1", "1", "4", "21", "0x00", "0x15", "57600,00", "0,00", "ok"}},
    {"clock error", "", "eusart", "20M", "19200", "1", "0.5", 6, {"001 (migliore)", "0", "0", "1", "16", "64", "0x00", "0x40", "19230,77", "0,16", "0,66", "ok"}},
    // A tolerance reads with "." or ",", never rounded to a whole number.
    {"tolerance 1.8", "", "eusart", "20M", "19200", "1.8", "0", 6, {"000", "0", "0", "0", "64", "15", "0x00", "0x0F", "19531,25", "1,73", "ok"}},
    {"tolerance 1,8", "", "eusart", "20M", "19200", "1,8", "0", 6, {"000", "0", "0", "0", "64", "15", "0x00", "0x0F", "19531,25", "1,73", "ok"}},
    {"tolerance 1.7", "", "eusart", "20M", "19200", "1.7", "0", 6, {"000", "0", "0", "0", "64", "15", "0x00", "0x0F", "19531,25", "1,73", "fuori tolleranza"}},
    {"usart by part", "pic16f877a-i/p", "eusart", "20M", "9600", "1", "0", 3, {"001 (migliore)", "0", "1", "16", "129", "0x81", "9615,38", "0,16", "ok"}},
    {"uart16 Fcy", "", "uart16", "8M", "9600", "1", "0", 2, {"0 (migliore)", "0", "16", "25", "0x0019", "9615,38", "0,16", "ok"}},
    {"uart16 by part", "PIC24FJ64GA002", "pic32", "32M", "115200", "1", "0", 2, {"1 (migliore)", "1", "4", "34", "0x0022", "114285,71", "-0,79", "ok"}},
    {"pic32, not 18", "", "pic32", "36M", "115200", "3", "0", 2, {"0", "0", "16", "19", "0x0013", "112500,00", "-2,34", "ok"}},
    {"pic32", "", "pic32", "36M", "115200", "1", "0", 2, {"1 (migliore)", "1", "4", "77", "0x004D", "115384,62", "0,16", "ok"}},
    {"uart18", "", "uart18", "16M", "9600", "1", "0", 2, {"0", "0", "16", "103", "0x00", "0x67", "9615,38", "0,16", "ok"}},
};
// clang-format on
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
    // Some label on screen says `text`.
    bool saying(const QString& text) const {
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

    void modes_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(modeCases)); ++i)
            QTest::newRow(modeCases[i].name) << i;
    }
    void modes() {
        QFETCH(int, index);
        const auto& [name, device, family, crystal, rate, tolerance, clockError, modes, row] =
            modeCases[index];
        const bool best = row.first().contains("migliore");
        auto* families = named<QComboBox>(window.get(), "Periferica");
        families->setCurrentIndex(families->findData(family));
        type("Dispositivo", device), type("Quarzo", crystal), type("Baud rate", rate);
        type("Tolleranza", tolerance), type("Errore del clock", clockError);
        if (*device)  // the part chose its family
            QCOMPARE(families->currentData().toString().toStdString(),
                     velmiro::deviceFromText(device).family->key);
        const companion::Grid& g = grid("Modi");
        QCOMPARE(g.rows.size(), modes);
        QCOMPARE(g.headers.size(), row.size());
        for (int i = 0; i < g.rows.size(); ++i) {
            QStringList texts;
            for (const companion::Cell& cell : g.rows[i])
                texts << cell.text;
            if (texts.first().section(' ', 0, 0) != row.first().section(' ', 0, 0))
                continue;
            QCOMPARE(texts, row);
            const QModelIndex cell = view("Modi")->model()->index(i, 1);
            QCOMPARE(cell.data(Qt::AccessibleTextRole).toString().contains("migliore"), best);
            QCOMPARE(cell.data(Qt::FontRole).value<QFont>().bold(), best);
            return;
        }
        QFAIL("no such mode");
    }

    // "Modi sincroni" makes the synchronous modes compete on every tab, where the
    // family has them.
    void synchronous() {
        type("Quarzo", "20M");
        type("Baud rate", "19200");
        auto* sync = window->findChild<QCheckBox*>();
        sync->setChecked(true);
        QCOMPARE(grid("Modi").rows[5][0].text, "110 (migliore)");
        QVERIFY(grid("Tabella").headers.contains("100 n"));
        QCOMPARE(grid("Quarzi").rows[0][2].text.left(3), "100");
        auto* families = named<QComboBox>(window.get(), "Periferica");
        families->setCurrentIndex(families->findData("uart16"));
        QVERIFY(!sync->isEnabled());
        QVERIFY(saying("Fcy = Fosc / 2 = 10.000.000 Hz"));             // as velmiro-cli says it
        QVERIFY(grid("Tabella").headers.contains("BRGH 1 scost. %"));  // one bit: named
        QCOMPARE(grid("Modi").rows[1][0].text, "1 (migliore)");
    }

    // A text that does not read empties its tables and says why under the field; the
    // next good one brings all back.
    void messages_data() {
        // field, text, tables left empty, report's own message when it has one, a fix
        QTest::addColumn<QStringList>("row");
        const QString all = "Modi Tabella Quarzi";
        const auto said = [](const std::string& problem) {
            return QString::fromStdString(problem);
        };
        const auto quantity = [&](const char* t) {
            return said(report::readPositiveQuantity(t).problem);
        };
        const QString part =
            said(report::deviceProblem("PIC99F1", velmiro::deviceFromText("PIC99F1")));
        // clang-format off
        QTest::newRow("crystal") << QStringList{"Quarzo", "20 MHz x", "Modi Tabella", quantity("20 MHz x"), "20M"};
        QTest::newRow("zero rate") << QStringList{"Baud rate", "0", "Modi", quantity("0"), "19200"};
        QTest::newRow("ambiguous rate") << QStringList{"Baud rate", "1.000k", "Modi", quantity("1.000k"), "19200"};
        QTest::newRow("table rates") << QStringList{"Baud rate della tabella", "300 9k6,5", "Tabella", "", "19200"};
        QTest::newRow("crystal rates") << QStringList{"Baud rate voluti", "", "Quarzi", "", "19200"};
        QTest::newRow("range") << QStringList{"Frequenza minima", "30M", "Quarzi", "", "4M"};
        QTest::newRow("part") << QStringList{"Dispositivo", "PIC99F1", all, part, "PIC18F46K22"};
        for (const char* t : {"0", "100,5", "1,2,3", "2.5x"})
            QTest::addRow("tolerance %s", t) << QStringList{"Tolleranza", t, all, said(report::readTolerance(t).problem), "100"};
        for (const char* e : {"100", "-1", "."})
            QTest::addRow("clock error %s", e) << QStringList{"Errore del clock", e, all, said(report::readClockError(e).problem), "0"};
        // clang-format on
    }
    void messages() {
        QFETCH(QStringList, row);
        const QString &field = row[0], &text = row[1], &emptied = row[2], &problem = row[3],
                      &fix = row[4];
        named<QLineEdit>(window.get(), "Frequenza massima")->setText("20M");
        // Nothing moves when a message appears.
        const auto places = [this] {
            QList<QRect> r;
            for (const char* name : {"Quarzo", "Baud rate", "Tolleranza", "Dispositivo"})
                r << named(window.get(), name)->geometry();
            return r << window->findChild<QTabWidget*>()->geometry();
        };
        QCoreApplication::processEvents();  // laid out, before and after
        const QList<QRect> before = places();
        type(field.toUtf8(), text);
        QCoreApplication::processEvents();
        QCOMPARE(places(), before);
        for (Tab tab : {Tab::Modes, Tab::Table, Tab::Crystals}) {  // and nothing to export
            const char* table = std::array{"Modi", "Tabella", "Quarzi"}[std::size_t(tab)];
            QCOMPARE(grid(table).rows.isEmpty(), emptied.contains(table));
            window->showTab(tab);
            QCOMPARE(named(window.get(), "Esporta CSV")->isEnabled(), !emptied.contains(table));
        }
        const QString said = problemOf(field.toUtf8());
        QVERIFY(!said.isEmpty());
        if (!problem.isEmpty())
            QCOMPARE(said, problem);
        QVERIFY(saying(said.section('\n', 0, 0)));
        type(field.toUtf8(), fix);
        if (field == "Quarzo")
            type("Baud rate", "19200");
        QCOMPARE(problemOf(field.toUtf8()), QString());
        for (const char* table : {"Modi", "Tabella", "Quarzi"})
            QVERIFY(!grid(table).rows.isEmpty());
        QVERIFY(window->isVisible());
    }

    // Rates separated by blanks or ";", read as the fields read them; the crystal
    // limits keep the ends and an empty one is no limit.
    void lists() {
        struct Row {
            const char *rates, *minimum, *maximum;
            QList<int> tableRates;
            QStringList crystals;  // the first ones, and how many there are
            int count;
        };
        // clang-format off
        const Row rows[] = {
            {"1200;9600  115,2k", "", "4M", {1200, 9600, 115200}, {"1.843.200", "3.686.400"}, 2},
            {"9600 115200", "11,0592M", "11.059.200", {9600, 115200}, {"11.059.200"}, 1},
            {"9600 115200", "18M", "", {9600, 115200}, {"18.432.000", "22.118.400"}, -1}};
        // clang-format on
        for (const auto& [rates, minimum, maximum, tableRates, crystals, count] : rows) {
            type("Baud rate della tabella", rates);
            type("Baud rate voluti", rates);
            type("Frequenza minima", minimum);
            type("Frequenza massima", maximum);
            QList<int> read;
            for (const companion::Row& row : grid("Tabella").rows)
                read << row[0].text.toInt();
            QCOMPARE(read, tableRates);
            const companion::Grid& found = grid("Quarzi");
            QCOMPARE(found.headers.size(), 2 + tableRates.size());
            QVERIFY(found.headers.last().startsWith(QString::number(tableRates.last()) + " baud"));
            QVERIFY(count < 0 || found.rows.size() == count);
            for (int i = 0; i < crystals.size(); ++i)
                QCOMPARE(found.rows.value(i).value(0).text, crystals[i]);
            QVERIFY(found.rows[0][2].text.endsWith("ok"));  // the verdict in words too
        }
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

    // The best pair of cells of each Tabella row, and the verdict in words as well.
    void tableBest() {
        type("Quarzo", "20M");
        type("Baud rate della tabella", "1200 9600 250000");
        const companion::Grid& g = grid("Tabella");
        const QStringList best{"011", "011", "001"};
        for (int row = 0; row < g.rows.size(); ++row) {
            QStringList bold;
            for (int column = 1; column < g.headers.size(); ++column) {
                const QModelIndex cell = view("Tabella")->model()->index(row, column);
                if (cell.data(Qt::FontRole).value<QFont>().bold())
                    bold << g.headers[column];
            }
            QCOMPARE(bold, (QStringList{best[row] + " n", best[row] + " scost. %"}));
        }
        QCOMPARE(g.rows[0][2].text, "1,73 (fuori)");
        QCOMPARE(g.rows[1][4].text, "0,16");
    }

    // The header on the clipboard and each tab's CSV are velmiro-cli's bytes for the
    // same inputs: the header of the best mode, or of the selected row's mode.
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
        // A new question forgets the row: the best mode's header, confirmed.
        named<QComboBox>(window.get(), "Baud rate")->setEditText("57600");
        QCOMPARE(button->text(), "Copia &intestazione C (000)");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text().toUtf8(),
                 cli({"header", "11,0592M", "57600", "--prefix", "UART_"}));
        QVERIFY(saying("Intestazione C del modo 000 copiata negli appunti"));
        for (int row : {1, 2})
            view("Modi")->selectionModel()->select(
                view("Modi")->model()->index(row, 0),
                QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(button->text(), "Copia &intestazione C (000)");  // two rows: still the best

        type("Prefisso", "9X");
        QVERIFY(!button->isEnabled());
        QCOMPARE(problemOf("Prefisso"), QString::fromStdString(report::prefixProblem("9X")));
    }

    // With a part or a family, the header and each CSV are velmiro-cli's bytes
    // with the same --device or --family.
    void partBytes() {
        type("Dispositivo", "PIC16F877A");
        type("Quarzo", "20M");
        type("Baud rate", "9600");
        QCOMPARE(exported(),
                 output({"compare", "20M", "9600", "--device", "PIC16F877A", "--format", "csv"}));
        window->showTab(Tab::Crystals);
        QCOMPARE(exported(), output({"crystals", "9600", "115200", "--device", "PIC16F877A",
                                     "--format", "csv"}));
        QTest::mouseClick(named<QPushButton>(window.get(), "Copia intestazione C"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text().toUtf8(),
                 output({"header", "20M", "9600", "--device", "PIC16F877A"}));
        // Another family than the part's is refused, as velmiro-cli refuses it.
        auto* families = named<QComboBox>(window.get(), "Periferica");
        families->setCurrentIndex(families->findData("uart18"));
        QCOMPARE(problemOf("Dispositivo").toStdString(),
                 report::familyConflict(velmiro::deviceFromText("PIC16F877A"),
                                        *velmiro::findFamily("uart18")));
        QVERIFY(grid("Modi").rows.isEmpty());
        type("Dispositivo", "");
        window->showTab(Tab::Table);
        QCOMPARE(exported(), output({"table", "20M", "--family", "uart18", "--format", "csv"}));
    }

    void copyRowsAndPickACrystal() {
        type("Quarzo", "20M");
        type("Baud rate", "19200");
        QTableView* modes = view("Modi");
        modes->setFocus();
        modes->selectRow(1);
        QTest::keyClick(modes, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), modeCases[0].row.join('\t') + '\n');

        window->showTab(Tab::Crystals);
        QTableView* crystals = view("Quarzi");
        const QString crystal = grid("Quarzi").rows.value(0).value(0).text;
        crystals->setFocus();
        crystals->setCurrentIndex(crystals->model()->index(0, 0));
        QTest::keyClick(crystals, Qt::Key_Return);  // as a double click does
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
        QCOMPARE(keys.size(), 17);

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
        QCOMPARE(named<QLineEdit>(window.get(), "Dispositivo")->text(), "pic18f25k42");
        QCOMPARE(named<QComboBox>(window.get(), "Periferica")->currentData(), "uart18");
        QCOMPARE(window->findChild<QTabWidget*>()->currentIndex(), int(Tab::Crystals));
        QCOMPARE(window->size(), wanted);

        for (const QByteArray& garbage :
             {QByteArray("\x00\xff[[\n=\x01tab=\xfe", 13),
              QByteArray("[General]\ntolerance=500\nclockError=-1\ntab=7\nsync=forse\n"
                         "size=@Size(1 1)\ncrystal=@Variant(\\0\\0\\0\\x7f)\n")}) {
            window.reset();
            QFile file(settingsFile());
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(garbage) == garbage.size());
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
