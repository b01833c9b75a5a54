// The one window: crystal and rate in, generator bits as check boxes,
// register value, achieved rate and deviation out.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "forms.h"

namespace Ui {
class frmVelmiro;
}

class frmVelmiro : public forms::Form {
    Q_OBJECT

  public:
    explicit frmVelmiro(forms::Runtime& runtime, QWidget* parent = nullptr);
    ~frmVelmiro() override;

  protected:
    void Form_Load() override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void chkBRG_Click(std::int16_t index);
    void cmdCalcola_Click();

    void showChip();
    void makeResultsReadable();

    std::unique_ptr<Ui::frmVelmiro> ui_;
    forms::ComboBox cboQuarzo;
    forms::ComboBox cboVelmiro;
    std::array<forms::CheckBox, 3> chkBRG;
    std::array<forms::Label, 4> lblRegistri;
    forms::Label lblSPBRG;
    forms::Label lblFrequenzaReale;
    forms::Label lblScostamento;
    qreal chipRatio_ = 0.0;  // the pixel ratio the chip was drawn for
};
