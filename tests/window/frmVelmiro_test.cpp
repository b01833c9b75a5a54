#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <memory>

#include "frmVelmiro.h"

namespace {

// Records each modal box with the result labels as they stood while it was open.
class RecordingRuntime : public forms::Runtime {
  public:
    struct Shown {
        QString prompt;
        int style;
        QString title;
        QStringList resultsMeanwhile;
    };
    void MsgBox(const QString& prompt, int style, const QString& title) override {
        shown.append({prompt, style, title, snapshot()});
    }
    std::function<QStringList()> snapshot;
    QList<Shown> shown;
};

const QString tooLow = QStringLiteral(
    "Valori troppo bassi di SPBRG.   \r\nAumentare il clock o diminuire la frequenza o impostare "
    "il BRGH");
const char* const bitNames[] = {"SYNC", "BRG16", "BRGH"};
const char* const bitTips[][2] = {
    {"Modalità Asincrona", "Modalità Sincrona"},
    {"Generatore di Baud rate a 8 bit", "Generatore di Baud rate a 16 bit"},
    {"Bassa velocità", "Alta velocità"}};

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingRuntime> runtime;
    std::unique_ptr<frmVelmiro> window;
    QColor defaultColour;

    template <typename T>
    T* get(const QString& name) const {
        T* widget = window->findChild<T*>(name);
        Q_ASSERT(widget);
        return widget;
    }
    QCheckBox* box(int index) const {
        return get<QCheckBox>(QStringLiteral("chkBRG_%1").arg(index));
    }
    QStringList results() const {
        return {get<QLabel>("lblSPBRG")->text(), get<QLabel>("lblFrequenzaReale")->text(),
                get<QLabel>("lblScostamento")->text()};
    }
    QColor deviationColour() const {
        return get<QLabel>("lblScostamento")->palette().color(QPalette::WindowText);
    }
    void type(const char* combo, const QString& text) {
        QLineEdit* edit = get<QComboBox>(combo)->lineEdit();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Clicks the boxes named by their index digits, on the check indicator.
    void clickBoxes(const QString& indices) {
        for (QChar c : indices) {
            QCheckBox* b = box(c.digitValue());
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        }
    }
    void calcola(const QString& quarzo, const QString& velmiro) {
        type("cboQuarzo", quarzo);
        type("cboVelmiro", velmiro);
        QTest::mouseClick(get<QPushButton>("cmdCalcola"), Qt::LeftButton);
    }
    // Each box's state, caption and tooltip agree with the mode key.
    void expectMode(const QString& key, bool brghEnabled) {
        for (int i = 0; i < 3; ++i) {
            const int bit = key[i].digitValue();
            QCOMPARE(box(i)->isChecked(), bit == 1);
            QCOMPARE(box(i)->text(), QStringLiteral("%1: %2").arg(bitNames[i]).arg(bit));
            QCOMPARE(box(i)->toolTip(), QString::fromUtf8(bitTips[i][bit]));
        }
        QVERIFY(box(0)->isEnabled() && box(1)->isEnabled());
        QCOMPARE(box(2)->isEnabled(), brghEnabled);
    }

  private slots:
    void init() {
        runtime = std::make_unique<RecordingRuntime>();
        runtime->snapshot = [this] { return results(); };
        window = std::make_unique<frmVelmiro>(*runtime);
        defaultColour = deviationColour();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup() { window.reset(); }

    void startUp() {
        frmVelmiro fresh(*runtime);
        auto* quarzo = fresh.findChild<QComboBox*>("cboQuarzo");
        auto* velmiro = fresh.findChild<QComboBox*>("cboVelmiro");
        QCOMPARE(quarzo->count() + velmiro->count(), 0);
        QCOMPARE(fresh.findChild<QCheckBox*>("chkBRG_2")->text(), QStringLiteral("BRGH: 0"));

        fresh.show();  // Load runs here, before the window appears
        QCOMPARE(quarzo->currentText() + " " + velmiro->currentText(), "20.000.000 19.200");
        QCOMPARE(quarzo->itemText(0) + " " + velmiro->itemText(5), "1.000.000 115.200");
        QCOMPARE(quarzo->count() * 10 + velmiro->count(), 56);
        expectMode("001", true);  // BRGH's own Click relabelled it during Load
        QCOMPARE(results(), QStringList({"", "", ""}));

        // Centred across, a third of the free height above and two thirds below.
        const QRect screen = fresh.screen()->geometry();
        const QRect frame = fresh.frameGeometry();
        QVERIFY(qAbs((frame.left() - screen.left()) - (screen.right() - frame.right())) <= 1);
        QVERIFY(qAbs(2 * (frame.top() - screen.top()) - (screen.bottom() - frame.bottom())) <= 2);

        fresh.hide();
        fresh.show();
        QCOMPARE(quarzo->count(), 5);  // Load runs once only
        QVERIFY(runtime->shown.isEmpty());
    }

    void modeBoxes_data() {
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("brghEnabled");
        auto row = [](const char* name, const char* clicks, const char* key, bool brghEnabled) {
            QTest::newRow(name) << QString(clicks) << QString(key) << brghEnabled;
        };
        row("defaults", "", "001", true);
        row("BRGH off", "2", "000", true);
        row("SYNC clears and locks BRGH", "0", "100", false);
        row("locked BRGH ignores clicks", "02", "100", false);
        row("SYNC off leaves BRGH clear", "00", "000", true);
        row("synchronous 16-bit", "10", "110", false);
        row("back to 16-bit low speed", "100", "010", true);
    }
    void modeBoxes() {
        QFETCH(QString, clicks);
        clickBoxes(clicks);
        QFETCH(QString, key);
        QFETCH(bool, brghEnabled);
        expectMode(key, brghEnabled);
    }

    void clearingBrghRunsNestedBeforeTheLock() {
        QStringList seen;  // BRGH as the nested Click left it, before SYNC's handler goes on
        connect(box(2), &QCheckBox::toggled, this, [&] {
            seen << box(2)->text() << box(2)->toolTip() << (box(2)->isEnabled() ? "on" : "off");
        });
        clickBoxes("0");
        QCOMPARE(seen, QStringList({"BRGH: 0", QString::fromUtf8("Bassa velocità"), "on"}));
        QVERIFY(!box(2)->isEnabled());
    }

    void calculate_data() {
        for (const char* column : {"quarzo", "velmiro", "clicks", "colour", "prompt", "title"}) {
            QTest::addColumn<QString>(column);  // colour: "", "green" or "red"; prompt: of the box
        }
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* name, const char* quarzo, const char* velmiro, const char* clicks,
                      QStringList expected, const char* colour, QString prompt = {},
                      const char* title = "Velmiro") {
            QTest::newRow(name) << QString(quarzo) << QString(velmiro) << QString(clicks)
                                << QString(colour) << prompt << QString(title) << expected;
        };
        auto report = [](int n, const char* d) {
            return QStringLiteral("Errore di run-time '%1': %2").arg(n).arg(d);
        };
        const QStringList reset{"", "", "errore: "};
        const char* tooLowTitle = "Baud Rate Generator";
        row("defaults", "20.000.000", "19.200", "", {"64", "19231 ottenuti", "errore: 0,16%"},
            "green");
        row("out of tolerance", "20.000.000", "9.600", "2",
            {"32", "9470 ottenuti", "errore: -1,35%"}, "red");
        row("too low", "1.000.000", "115.200", "", {"0", "", "errore: "}, "", tooLow, tooLowTitle);
        row("zero crystal", "0", "19.200", "", {"-1", "", "errore: "}, "", tooLow, tooLowTitle);
        row("empty crystal", "", "19.200", "", reset, "", report(13, "Tipo non corrispondente"));
        row("huge crystal", "3000000000", "19.200", "", reset, "", report(6, "Overflow"));
        row("zero rate", "20.000.000", "0", "", reset, "", report(11, "Divisione per zero"));
        row("register overflows", "20.000.000", "100", "1", reset, "", report(6, "Overflow"));
        row("divisor product overflows", "20.000.000", "600", "", {"2082", "", "errore: "}, "",
            report(6, "Overflow"));
    }
    void calculate() {
        QFETCH(QString, quarzo);
        QFETCH(QString, velmiro);
        QFETCH(QString, clicks);
        QFETCH(QStringList, expected);
        QFETCH(QString, colour);
        QFETCH(QString, prompt);
        QFETCH(QString, title);
        clickBoxes(clicks);
        calcola(quarzo, velmiro);

        QCOMPARE(results(), expected);
        const QColor want = colour == "green" ? QColor(0, 140, 0)
                            : colour == "red" ? QColor(250, 0, 0)
                                              : defaultColour;
        QCOMPARE(deviationColour(), want);
        QCOMPARE(runtime->shown.size(), prompt.isEmpty() ? 0 : 1);
        if (!prompt.isEmpty()) {
            const RecordingRuntime::Shown& box = runtime->shown.first();
            QCOMPARE(box.prompt, prompt);
            QCOMPARE(box.title, title);
            QCOMPARE(box.style, int(forms::vbCritical | forms::vbOKOnly));
            QCOMPARE(box.resultsMeanwhile, expected);  // n was on screen behind the box
        }
        QVERIFY(window->isVisible());
    }

    // A red result stays red through a too-low result and a failure; the window
    // stays open after the failure and computes again once the text is corrected.
    void aFailureLeavesTheWindowUsable() {
        clickBoxes("2");
        calcola("20.000.000", "9.600");
        calcola("1.000.000", "115.200");
        calcola("20 MHz", "9.600");
        QCOMPARE(runtime->shown.size(), 2);
        QVERIFY(window->isVisible());
        QCOMPARE(deviationColour(), QColor(250, 0, 0));
        clickBoxes("2");
        calcola("20.000.000", "19.200");
        QCOMPARE(results(), QStringList({"64", "19231 ottenuti", "errore: 0,16%"}));
        QCOMPARE(deviationColour(), QColor(0, 140, 0));
    }

    void onlyCalcolaComputes() {
        calcola("20.000.000", "19.200");
        type("cboVelmiro", "9.600");
        clickBoxes("1");
        QLineEdit* edit = get<QComboBox>("cboQuarzo")->lineEdit();
        QTest::keyClicks(edit, "1");
        QTest::keyClick(edit, Qt::Key_Return);  // neither runs calcola nor adds to the list
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(results(), QStringList({"64", "19231 ottenuti", "errore: 0,16%"}));
        QCOMPARE(get<QComboBox>("cboQuarzo")->count(), 5);
        QVERIFY(runtime->shown.isEmpty());
    }

    void layout() {
        QCOMPARE(window->windowTitle(), QStringLiteral("PIC Velmiro"));
        QCOMPARE(window->minimumSize(), QSize(421, 188));
        QCOMPARE(window->maximumSize(), QSize(421, 188));
        QCOMPARE(get<QWidget>("Frame1")->geometry(), QRect(10, 8, 401, 169));
        QCOMPARE(get<QWidget>("cmdCalcola")->geometry(), QRect(296, 128, 73, 25));
        QCOMPARE(get<QLabel>("Picture2")->geometry(), QRect(312, 82, 48, 30));
        QCOMPARE(get<QLabel>("Picture2")->pixmap().size(), QSize(48, 30));
        for (int size : {16, 32, 48}) {
            QVERIFY(window->windowIcon().availableSizes().contains(QSize(size, size)));
        }

        // Face, size in tenths of a point, bold. The face is the classic one or one of
        // its width-alikes, and the one really drawn: no silent fallback to another face.
        auto font = [this](const char* name) {
            const QFont f = get<QWidget>(name)->font();
            const QStringList classic{"MS Sans Serif", "Microsoft Sans Serif", "Arial",
                                      "Liberation Sans", "Arimo"};
            const bool drawn = classic.contains(f.family()) && QFontInfo(f).family() == f.family();
            return QStringLiteral("%1 %2 %3")
                .arg(drawn ? QStringLiteral("classic") : f.family())
                .arg(f.pointSizeF() * 10)
                .arg(f.bold());
        };
        QCOMPARE(font("cboQuarzo"), "classic 97.5 0");
        QCOMPARE(font("lblSPBRG"), "classic 120 1");
        QCOMPARE(font("lblScostamento"), "classic 97.5 1");
        auto* spbrgLabel = get<QLabel>("lblSPBRG");
        QCOMPARE(spbrgLabel->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(spbrgLabel->palette().color(spbrgLabel->backgroundRole()),
                 QApplication::palette().color(QPalette::HighlightedText));
        QVERIFY(spbrgLabel->autoFillBackground());
        auto* button = get<QPushButton>("cmdCalcola");
        QVERIFY(!button->isDefault() && !button->autoDefault());

        // Tab visits the inputs in reading order.
        QApplication::setActiveWindow(window.get());
        get<QWidget>("cboQuarzo")->setFocus();
        QStringList order;
        for (int i = 0; i < 6; ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (qobject_cast<QComboBox*>(focus->parentWidget()))
                focus = focus->parentWidget();
            order << focus->objectName();
            QTest::keyClick(focus, Qt::Key_Tab);
        }
        QCOMPARE(order, QStringList({"cboQuarzo", "cboVelmiro", "chkBRG_0", "chkBRG_1", "chkBRG_2",
                                     "cmdCalcola"}));
    }

    void screenReadersSeeInputsAndCurrentResults() {
        calcola("20.000.000", "19.200");
        auto text = [this](const char* name, QAccessible::Text kind) {
            return QAccessible::queryAccessibleInterface(get<QWidget>(name))->text(kind);
        };
        // Each combo box is labelled by the caption above it (its text alone is the number).
        auto labels = [this](const char* name) {
            QStringList texts;
            auto* combo = QAccessible::queryAccessibleInterface(get<QWidget>(name));
            for (const auto& relation : combo->relations(QAccessible::Label)) {
                texts << relation.first->text(QAccessible::Name);
            }
            return texts;
        };
        QCOMPARE(labels("cboQuarzo"), QStringList{"Frequenza quarzo"});
        QCOMPARE(labels("cboVelmiro"), QStringList{"Baud rate"});
        QCOMPARE(text("chkBRG_2", QAccessible::Name), QStringLiteral("BRGH: 1"));
        QCOMPARE(text("lblSPBRG", QAccessible::Name), QStringLiteral("64"));
        QCOMPARE(text("lblSPBRG", QAccessible::Description), QStringLiteral("Valore da impostare"));
        QCOMPARE(text("lblScostamento", QAccessible::Name), QStringLiteral("errore: 0,16%"));
    }
};

QTEST_MAIN(WindowTest)
#include "frmVelmiro_test.moc"
