// The one window: crystal and rate in, generator bits as check boxes,
// register value, achieved rate and deviation out. A view over the window's
// logic (velmiro/form.h): it copies texts in and out, draws the colours,
// shows the boxes and delivers the user's clicks.
#pragma once

#include <QRect>
#include <QWidget>

#include <array>
#include <memory>

#include "forms.h"
#include "velmiro/form.h"

namespace Ui {
class frmVelmiro;
}

class frmVelmiro : public QWidget {
    Q_OBJECT

  public:
    explicit frmVelmiro(forms::Runtime& runtime, QWidget* parent = nullptr);
    ~frmVelmiro() override;

    // The logic's start-up runs once, just before the window is first shown.
    void setVisible(bool visible) override;

    // The window's logic, for the companion to take its crystal and rate.
    const velmiro::form::Form& form() const { return form_; }

  protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The screen's geometry in pixels, in the desktop's coordinates.
    virtual QRect screenGeometry() const;

  private:
    class Controls;

    void showChip();
    void makeResultsReadable();

    std::unique_ptr<Ui::frmVelmiro> ui_;
    forms::Runtime& runtime_;
    std::unique_ptr<Controls> controls_;
    velmiro::form::Form form_;
    // SPBRG, achieved rate, deviation.
    std::array<velmiro::form::Colour, 3> colours_{velmiro::form::Colour::RegisterBlue,
                                                  velmiro::form::Colour::Default,
                                                  velmiro::form::Colour::Default};
    bool loaded_ = false;
    qreal chipRatio_ = 0.0;  // the pixel ratio the chip was drawn for
};
