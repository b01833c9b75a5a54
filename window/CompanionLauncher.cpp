#include "CompanionLauncher.h"

#include <QAction>
#include <QEvent>

#include "Companion.h"
#include "frmVelmiro.h"

namespace companion {

CompanionLauncher::CompanionLauncher(frmVelmiro& mainWindow, forms::Runtime& runtime,
                                     const QString& settingsFile)
    : QObject(&mainWindow), main_(mainWindow), runtime_(runtime), settingsFile_(settingsFile) {
    for (const velmiro::companion::Opening& opening : velmiro::companion::openings) {
        auto* action = new QAction(QString::fromUtf8(opening.menuText), &mainWindow);
        action->setShortcut(QKeySequence(Qt::Key_F1 + opening.functionKey - 1));
        action->setShortcutVisibleInContextMenu(true);
        const Tab tab = opening.tab;
        connect(action, &QAction::triggered, this, [this, tab] { open(tab); });
        mainWindow.addAction(action);
    }
    // The edit fields keep their own edit menu; everywhere else gets these three.
    mainWindow.setContextMenuPolicy(Qt::ActionsContextMenu);
    mainWindow.installEventFilter(this);
}

Companion* CompanionLauncher::open(Tab tab) {
    if (companion_ == nullptr)
        companion_ = new Companion(runtime_, &main_, settingsFile_);
    companion_->logic().takeInputs(main_.form());
    companion_->showTab(tab);
    companion_->show();
    companion_->raise();
    companion_->activateWindow();
    return companion_;
}

bool CompanionLauncher::eventFilter(QObject* watched, QEvent* event) {
    // Closing the main window ends the program, the companion with it.
    if (watched == &main_ && event->type() == QEvent::Close && companion_ != nullptr)
        companion_->close();
    return QObject::eventFilter(watched, event);
}

}  // namespace companion
