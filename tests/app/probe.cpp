// Linked with an unchanged app/main.cpp: once the first window is shown, prints
// what main() set up (which window, its title, the visible tab, the
// application's names and font) on one line, and quits.
#include <QApplication>
#include <QEvent>
#include <QFontInfo>
#include <QTabWidget>
#include <QWidget>
#include <cstdio>

#include "forms.h"

namespace {

void report(QWidget* window) {
    QString tab;
    if (auto* tabs = window->findChild<QTabWidget*>())
        tab = tabs->tabText(tabs->currentIndex()).remove('&');
    const bool layoutFont = QFontInfo(window->font()).family() == forms::layoutFont().family();
    const QStringList parts{window->metaObject()->className(),
                            window->windowTitle(),
                            tab,
                            QApplication::applicationName(),
                            QApplication::applicationVersion(),
                            QGuiApplication::desktopFileName(),
                            layoutFont ? "layout font" : "other font"};
    std::printf("%s\n", parts.join(" | ").toUtf8().constData());
    std::fflush(stdout);
    QCoreApplication::quit();
}

class Probe : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !seen_ && widget != nullptr && widget->isWindow()) {
            seen_ = true;
            QMetaObject::invokeMethod(
                this, [widget] { report(widget); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool seen_ = false;
};

void watch() {
    qApp->installEventFilter(new Probe(qApp));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watch)
