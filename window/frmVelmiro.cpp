#include "frmVelmiro.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>

#include "ui_frmVelmiro.h"
#include "velmiro/calc.h"

// The resources live in this static library: reference them so that they are linked.
static void initResources() {
    Q_INIT_RESOURCE(velmiro);
}

namespace {

// The classic font, or where it is missing the first installed face of similar
// widths, so that the fixed layout does not clip. Naming an installed face also
// spares the font system its slow search for a substitute, which showed in the
// start-up time; with none of them, the system's sans serif.
QString classicFamily() {
    const QStringList installed = QFontDatabase::families();
    for (const char* family :
         {"MS Sans Serif", "Microsoft Sans Serif", "Arial", "Liberation Sans", "Arimo"}) {
        if (installed.contains(QLatin1String(family), Qt::CaseInsensitive)) {
            return QLatin1String(family);
        }
    }
    return QStringLiteral("MS Sans Serif");
}

// Set before the controls exist, so that each lays out its text once. It is the
// application's font too: a line edit first lays out its text in that font before
// taking its window's, and would load a second face for nothing.
void setClassicFont(QWidget* window) {
    QFont font(classicFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    window->setFont(font);
    QApplication::setFont(font);
}

std::unique_ptr<Ui::frmVelmiro> createUi(QWidget* window) {
    initResources();
    setClassicFont(window);
    auto ui = std::make_unique<Ui::frmVelmiro>();
    ui->setupUi(window);
    return ui;
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// What the window's layout file cannot say: the system colour behind the
// results, the icon, the window's buttons.
void completeLayout(frmVelmiro& window, Ui::frmVelmiro& ui) {
    for (QLabel* result : {ui.lblSPBRG, ui.lblFrequenzaReale, ui.lblScostamento}) {
        result->setBackgroundRole(QPalette::HighlightedText);
    }
    forms::Label(ui.lblSPBRG).setForeColor(forms::rgb(0, 0, 255));

    // Typing must not be completed into a preset, nor Enter add to the lists.
    ui.cboQuarzo->setCompleter(nullptr);
    ui.cboVelmiro->setCompleter(nullptr);

    QIcon icon;
    for (int size : {16, 32, 48}) {
        icon.addFile(QStringLiteral(":/velmiro/icon-%1.png").arg(size), QSize(size, size));
    }
    window.setWindowIcon(icon);
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
}

}  // namespace

frmVelmiro::frmVelmiro(forms::Runtime& runtime, QWidget* parent)
    : forms::Form(runtime, parent),
      ui_(createUi(this)),
      cboQuarzo(ui_->cboQuarzo),
      cboVelmiro(ui_->cboVelmiro),
      chkBRG{forms::CheckBox(ui_->chkBRG_0), forms::CheckBox(ui_->chkBRG_1),
             forms::CheckBox(ui_->chkBRG_2)},
      lblRegistri{forms::Label(ui_->lblRegistri_0), forms::Label(ui_->lblRegistri_1),
                  forms::Label(ui_->lblRegistri_2), forms::Label(ui_->lblRegistri_3)},
      lblSPBRG(ui_->lblSPBRG),
      lblFrequenzaReale(ui_->lblFrequenzaReale),
      lblScostamento(ui_->lblScostamento) {
    completeLayout(*this, *ui_);
    for (std::int16_t index = 0; index < 3; ++index) {
        chkBRG[static_cast<std::size_t>(index)].onClick(
            this, [this, index] { this->runtime().raise([this, index] { chkBRG_Click(index); }); });
    }
    connect(ui_->cmdCalcola, &QPushButton::clicked, this,
            [this] { this->runtime().raise([this] { cmdCalcola_Click(); }); });
}

frmVelmiro::~frmVelmiro() = default;

void frmVelmiro::Form_Load() {
    // Centred across, a third of the free height down.
    const float width = outerWidth();
    const float screenW = screenWidth();
    moveLeft((screenW - width) / 2.0f);
    const float height = outerHeight();
    const float screenH = screenHeight();
    moveTop((screenH - height) / 3.0f);

    for (const char* preset : {"1.000.000", "4.000.000", "8.000.000", "16.000.000", "20.000.000"}) {
        cboQuarzo.addItem(QString::fromLatin1(preset));
    }
    cboQuarzo.setListIndex(4);

    chkBRG[0].setValue(0);
    chkBRG[1].setValue(0);
    chkBRG[2].setValue(1);

    for (const char* preset : {"9.600", "14.400", "19.200", "28.800", "57.600", "115.200"}) {
        cboVelmiro.addItem(QString::fromLatin1(preset));
    }
    cboVelmiro.setListIndex(2);
}

void frmVelmiro::chkBRG_Click(std::int16_t index) {
    struct BitTexts {
        const char* clearCaption;
        const char* clearTip;
        const char* setCaption;
        const char* setTip;
    };
    static constexpr BitTexts texts[] = {
        {"SYNC: 0", "Modalità Asincrona", "SYNC: 1", "Modalità Sincrona"},
        {"BRG16: 0", "Generatore di Baud rate a 8 bit", "BRG16: 1",
         "Generatore di Baud rate a 16 bit"},
        {"BRGH: 0", "Bassa velocità", "BRGH: 1", "Alta velocità"},
    };
    if (index < 0 || index > 2)
        return;
    const auto i = static_cast<std::size_t>(index);
    const bool set = chkBRG[i].value() != 0;
    chkBRG[i].setCaption(QString::fromUtf8(set ? texts[i].setCaption : texts[i].clearCaption));
    chkBRG[i].setToolTipText(QString::fromUtf8(set ? texts[i].setTip : texts[i].clearTip));

    if (index == 0) {
        // Synchronous mode has no high-speed bit: clear it (its own Click
        // relabels it at once) and lock it until SYNC is cleared again.
        if (set)
            chkBRG[2].setValue(0);
        chkBRG[2].setEnabled(!set);
    }
}

void frmVelmiro::cmdCalcola_Click() {
    lblSPBRG.setCaption(QString());
    lblFrequenzaReale.setCaption(QString());
    lblScostamento.setCaption(QStringLiteral("errore: "));

    const std::int32_t frequency = velmiro::integerFromText(cboQuarzo.text().toStdString());
    const std::int32_t rate = velmiro::integerFromText(cboVelmiro.text().toStdString());

    velmiro::GeneratorMode mode;
    mode.sync = chkBRG[0].value() != 0 ? 1 : 0;
    mode.brg16 = chkBRG[1].value() != 0 ? 1 : 0;
    mode.brgh = chkBRG[2].value() != 0 ? 1 : 0;
    const std::int16_t divisor = velmiro::divisorForKey(velmiro::modeKeyOf(mode));

    // Each result is shown as soon as it is known, so a later failure leaves
    // the earlier ones on screen.
    const std::int16_t registerValue = velmiro::registerValueFor(frequency, rate, divisor);
    lblSPBRG.setCaption(text(velmiro::textOfInteger(registerValue)));
    if (velmiro::isTooLow(registerValue)) {
        runtime().MsgBox(QStringLiteral("Valori troppo bassi di SPBRG.   \r\n"
                                        "Aumentare il clock o diminuire la frequenza o "
                                        "impostare il BRGH"),
                         forms::vbCritical | forms::vbOKOnly,
                         QStringLiteral("Baud Rate Generator"));
        return;
    }

    const std::int32_t achieved = velmiro::achievedRateFor(frequency, registerValue, divisor);
    lblFrequenzaReale.setCaption(text(velmiro::textOfInteger(achieved)) +
                                 QStringLiteral(" ottenuti"));

    const velmiro::Deviation deviation = velmiro::deviationFor(achieved, rate);
    lblScostamento.setForeColor(deviation.outOfTolerance ? forms::rgb(250, 0, 0)
                                                         : forms::rgb(0, 140, 0));
    lblScostamento.setCaption(QStringLiteral("errore: ") +
                              text(velmiro::textOfDeviation(deviation.percent)) + QChar('%'));
}
