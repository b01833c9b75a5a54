// How the main window reaches the companion: F2, F3 and F4, and the same three
// entries in its context menu. The companion is built on first use only, so
// that the main window starts as fast as before.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "velmiro/companion.h"

class frmVelmiro;

namespace forms {
class Runtime;
}

namespace companion {

class Companion;
using Tab = velmiro::companion::Tab;

class CompanionLauncher : public QObject {
    Q_OBJECT

  public:
    // settingsFile: as for Companion, for tests.
    CompanionLauncher(frmVelmiro& mainWindow, forms::Runtime& runtime,
                      const QString& settingsFile = {});

    // Shows the one companion on `tab` with the main window's crystal and rate,
    // building it first if need be.
    Companion* open(Tab tab);
    Companion* companion() const { return companion_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    frmVelmiro& main_;
    forms::Runtime& runtime_;
    QString settingsFile_;
    QPointer<Companion> companion_;
};

}  // namespace companion
