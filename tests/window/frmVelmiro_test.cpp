#include <QtTest>
#include <QtWidgets>

#include <memory>

#include "frmVelmiro.h"
#include "window_cases.h"

namespace {

// Records each box the runtime built, and the results on screen behind the last one.
class RecordingRuntime : public forms::Runtime {
  public:
    std::function<QStringList()> results;
    QStringList shown, behind;  // shown: title | text

  protected:
    void present(QMessageBox& box) override {
        QVERIFY(box.icon() == QMessageBox::Critical && box.standardButtons() == QMessageBox::Ok);
        QVERIFY(qobject_cast<frmVelmiro*>(box.parentWidget()));  // centred on its own window
        shown << box.windowTitle() + " | " + box.text();
        behind = results();
    }
};

// The window on a screen whose origin is not the desktop's.
class PlacedWindow : public frmVelmiro {
    using frmVelmiro::frmVelmiro;
    QRect screenGeometry() const override { return {300, 200, 1280, 720}; }
};

const char* const resultNames[] = {"lblSPBRG", "lblFrequenzaReale", "lblScostamento"};

QStringList texts(const std::array<const char*, 3>& three) {
    return {QString::fromUtf8(three[0]), QString::fromUtf8(three[1]), QString::fromUtf8(three[2])};
}

}  // namespace

class WindowTest : public QObject {
    Q_OBJECT

    RecordingRuntime runtime;
    std::unique_ptr<frmVelmiro> window;

    template <typename T = QWidget>
    T* get(const QString& name) const {
        return window->findChild<T*>(name);
    }
    QCheckBox* box(int i) const { return get<QCheckBox>(QStringLiteral("chkBRG_%1").arg(i)); }
    QStringList results() const {
        return {get<QLabel>(resultNames[0])->text(), get<QLabel>(resultNames[1])->text(),
                get<QLabel>(resultNames[2])->text()};
    }
    // The colours a result box really draws with: text and background.
    std::pair<QColor, QColor> colours(const char* name) const {
        const QWidget* label = get(name);
        return {label->palette().color(label->foregroundRole()),
                label->palette().color(label->backgroundRole())};
    }
    void type(const char* combo, const QString& text) {
        QLineEdit* edit = get<QComboBox>(combo)->lineEdit();
        edit->setFocus();  // as a click into the field does
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Clicks the boxes named by their index digits, on the check indicator.
    void clickBoxes(const QString& indices) {
        for (QChar c : indices)
            QTest::mouseClick(box(c.digitValue()), Qt::LeftButton, {}, QPoint(6, 8));
    }
    void calcola(const QString& quarzo, const QString& velmiro) {
        type("cboQuarzo", quarzo);
        type("cboVelmiro", velmiro);
        QTest::mouseClick(get<QPushButton>("cmdCalcola"), Qt::LeftButton);
    }
    void open(frmVelmiro* fresh) {
        window.reset(fresh);
        window->show();  // Load runs here, before the window appears
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

  private slots:
    void init() {
        QApplication::setFont(forms::layoutFont());  // as main does
        runtime.results = [this] { return results(); };
        runtime.shown.clear();
        open(new frmVelmiro(runtime));
    }
    void cleanup() {
        window.reset();
        QApplication::setPalette(QPalette());
    }

    void startUp() {
        open(new PlacedWindow(runtime));
        window->hide();
        window->show();  // Load runs once only
        QStringList lists;
        for (auto* combo : window->findChildren<QComboBox*>()) {
            lists << combo->currentText() + ":";
            for (int i = 0; i < combo->count(); ++i)
                lists.last() += ' ' + combo->itemText(i);
        }
        QCOMPARE(lists,
                 QStringList({"20.000.000: 1.000.000 4.000.000 8.000.000 16.000.000 20.000.000",
                              "19.200: 9.600 14.400 19.200 28.800 57.600 115.200"}));

        // Centred across, a third of the free height above and two thirds below.
        const QRect screen(300, 200, 1280, 720), frame = window->frameGeometry();
        QVERIFY(qAbs((frame.left() - screen.left()) - (screen.right() - frame.right())) <= 1);
        QVERIFY(qAbs(2 * (frame.top() - screen.top()) - (screen.bottom() - frame.bottom())) <= 2);

        // Drawn from a picture with the screen's pixels, not scaled up (see the hidpi run).
        QCOMPARE(get<QLabel>("Picture2")->pixmap().devicePixelRatio(), window->devicePixelRatioF());
    }

    // The cases every view of the window runs, through the real widgets.
    void windowCases_data() {
        QTest::addColumn<int>("row");
        for (int row = 0; row < int(std::size(velmiro::cases::windowCases)); ++row)
            QTest::newRow(velmiro::cases::windowCases[row].name) << row;
    }
    void windowCases() {
        QFETCH(int, row);
        const velmiro::cases::WindowCase& c = velmiro::cases::windowCases[row];
        if (c.before)
            QTest::mouseClick(get<QPushButton>("cmdCalcola"), Qt::LeftButton);
        clickBoxes(QString::fromLatin1(c.clicks));
        if (c.quarzo != nullptr)
            calcola(QString::fromUtf8(c.quarzo), QString::fromUtf8(c.velmiro));

        QCOMPARE(results(), texts(c.results));
        QCOMPARE(colours("lblSPBRG").first, QColor(0, 0, 255));
        const QColor tints[] = {colours("lblFrequenzaReale").first, QColor(0, 140, 0),
                                QColor(250, 0, 0)};  // the default: as a result without colour
        QCOMPARE(colours("lblScostamento").first, tints[int(c.tint)]);
        if (c.box.title == nullptr) {
            QVERIFY(runtime.shown.isEmpty());
        } else {
            QCOMPARE(runtime.shown.join(""),
                     QString::fromUtf8(c.box.title) + " | " +
                         QString::fromUtf8(c.box.prompt).replace("\r\n", "\n"));
            QCOMPARE(runtime.behind, texts(c.results));
        }
        for (int i = 0; i < 3; ++i) {
            const int bit = c.boxes[2 * i] - '0';
            QCOMPARE(box(i)->isChecked(), bit == 1);
            QCOMPARE(box(i)->text(), QString::fromUtf8(velmiro::cases::captions[i][bit]));
            QCOMPARE(box(i)->toolTip(), QString::fromUtf8(velmiro::cases::tooltips[i][bit]));
            QCOMPARE(box(i)->isEnabled(), c.boxes[2 * i + 1] == 'e');
        }
    }

    // Every result reads at 3:1 or better on its box, before and after calcola, red and
    // green, through theme switches; the last two palettes are set on the window itself.
    // Colours: window, text, base, highlighted text, and the box expected.
    void resultsReadOnAnyPalette() {
        const QStringList schemes{
            "#323232 #f0f0f0 #242424 #f0f0f0 #f0f0f0", "#efefef #000000 #ffffff #ffffc8 #ffffc8",
            "#efefef #000000 #fafafa #000000 #fafafa", "#323232 #f0f0f0 #242424 #101010 #ffffff",
            "#efefef #000000 #ffffff #ffffc8 #ffffc8"};
        for (int i = 0; i < schemes.size(); ++i) {
            const QStringList c = schemes[i].split(' ');
            QPalette palette{QColor(c[0]), QColor(c[0])};
            for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                              QPalette::BrightText, QPalette::ToolTipText})
                palette.setColor(role, QColor(c[1]));
            palette.setColor(QPalette::Base, QColor(c[2]));
            palette.setColor(QPalette::HighlightedText, QColor(c[3]));
            // The first three as a theme switch does.
            i < 3 ? QApplication::setPalette(palette) : window->setPalette(palette);
            QCoreApplication::processEvents();  // the widgets hear of it by posted events
            for (const char* rate : {"", "19.200", "9.600"}) {
                if (*rate) {  // BRGH goes off for 19.200: red; back on for 9.600: green
                    clickBoxes("2");
                    calcola("20.000.000", rate);
                    QCOMPARE(colours("lblScostamento").first,
                             *rate == '1' ? QColor(250, 0, 0) : QColor(0, 140, 0));
                } else if (i > 0) {  // the last result keeps its green through the switch
                    QCOMPARE(colours("lblScostamento").first, QColor(0, 140, 0));
                }
                for (const char* name : resultNames) {
                    QCOMPARE(colours(name).second, QColor(c[4]));
                    QVERIFY2(forms::contrastRatio(colours(name).first, colours(name).second) >= 3,
                             qPrintable(schemes[i] + ' ' + name));
                }
            }
        }
    }

    // Every caption and the widest results of everyday use fit their controls, in the
    // layout's face and in a wider one, which has to be shrunk.
    void textsFit() {
        // The layout's face is always an installed one: no slow search for a substitute.
        const QStringList installed = QFontDatabase::families();
        QVERIFY(installed.contains(forms::layoutFont().family()));
        // A face of the layout's widths is chosen if there is one, and needs no shrinking.
        const bool sameWidths =
            !installed.filter(QRegularExpression("^(Arial|Arimo|Liberation Sans)$")).isEmpty();
        for (auto [font, shrinks] :
             {std::pair{forms::layoutFont(), !sameWidths}, {QFont("DejaVu Sans"), true}}) {
            if (!installed.contains(font.family()))
                continue;
            font.setPointSizeF(9.75);
            QApplication::setFont(font);
            open(new frmVelmiro(runtime));
            QCOMPARE(QFontInfo(window->font()).family(), font.family());  // drawn, not replaced
            QCOMPARE(window->font() != font, shrinks);

            auto room = [](QWidget* w) {  // a check box's text has what its indicator leaves
                const int indicator = w->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                                      w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
                return w->contentsRect().width() - (qobject_cast<QCheckBox*>(w) ? indicator : 0);
            };
            QList<std::pair<QWidget*, QString>> texts{
                {get("cmdCalcola"), "calcola"},
                {get("lblSPBRG"), "-32768"},
                {get("lblFrequenzaReale"), "1000000 ottenuti"},
                {get("lblScostamento"), "errore: -45,75%"}};
            for (auto* label : window->findChildren<QLabel*>(QRegularExpression("lblRegistri_")))
                texts.append({label, label->text()});
            for (int i = 0; i < 6; ++i)
                texts.append({box(i / 2), box(i / 2)->text().chopped(1) + QString::number(i % 2)});
            for (const auto& [control, text] : texts)
                QVERIFY2(QFontMetrics(control->font()).horizontalAdvance(text) <= room(control),
                         qPrintable(font.family() + ": " + text));
        }
    }

    // Only calcola computes: typing, a click or Enter leave the results alone.
    void clicksAndKeys() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        calcola("20.000.000", "19.200");
        type("cboQuarzo", "16");
        QLineEdit* edit = get<QComboBox>("cboQuarzo")->lineEdit();
        QCOMPARE(edit->text(), "16");  // not completed into a preset
        type("cboVelmiro", "9.600");
        clickBoxes("1");
        QTest::keyClick(edit, Qt::Key_Return);  // nor does Enter add to the list
        QCOMPARE(results(), QStringList({"64", "19231 ottenuti", "errore: 0,16%"}));
        QCOMPARE(get<QComboBox>("cboQuarzo")->count() + runtime.shown.size(), 5);

        // The logic raises BRGH's nested click itself: the window must not deliver the
        // change as a second one. Each click relabels BRGH once, its tooltip with it.
        struct Counter : QObject {
            int tips = 0;
            bool eventFilter(QObject*, QEvent* event) override {
                tips += event->type() == QEvent::ToolTipChange;
                return false;
            }
        } counter;
        box(2)->installEventFilter(&counter);
        clickBoxes("0");
        QCOMPARE(counter.tips, 1);
    }
};

QTEST_MAIN(WindowTest)
#include "frmVelmiro_test.moc"
