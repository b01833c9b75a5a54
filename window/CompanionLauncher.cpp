#include "CompanionLauncher.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QWidget>

#include "Companion.h"

namespace companion {

CompanionLauncher::CompanionLauncher(QWidget& mainWindow, forms::Runtime& runtime,
                                     const QString& settingsFile)
    : QObject(&mainWindow), main_(mainWindow), runtime_(runtime), settingsFile_(settingsFile) {
    struct Entry {
        const char* text;
        Qt::Key key;
        Tab tab;
    };
    const Entry entries[] = {{"Tutti i modi…", Qt::Key_F2, Tab::Modes},
                             {"Tabella del quarzo…", Qt::Key_F3, Tab::Table},
                             {"Cerca quarzi…", Qt::Key_F4, Tab::Crystals}};
    for (const Entry& entry : entries) {
        auto* action = new QAction(QString::fromUtf8(entry.text), &mainWindow);
        action->setShortcut(entry.key);
        action->setShortcutVisibleInContextMenu(true);
        const Tab tab = entry.tab;
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
    const auto* crystal = main_.findChild<QComboBox*>(QStringLiteral("cboQuarzo"));
    const auto* rate = main_.findChild<QComboBox*>(QStringLiteral("cboVelmiro"));
    if (crystal != nullptr && rate != nullptr)
        companion_->takeInputs(crystal->currentText(), rate->currentText());
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
