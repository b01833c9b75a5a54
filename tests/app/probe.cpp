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

class Probe : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !seen_ && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            seen_ = true;
            auto* window = static_cast<QWidget*>(watched);
            QMetaObject::invokeMethod(
                this, [window] { report(window); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    static void report(QWidget* window) {
        QString tab;
        if (auto* tabs = window->findChild<QTabWidget*>())
            tab = tabs->tabText(tabs->currentIndex()).remove('&');
        const QStringList parts{window->metaObject()->className(),
                                window->windowTitle(),
                                tab,
                                QApplication::applicationName(),
                                QApplication::applicationVersion(),
                                QGuiApplication::desktopFileName(),
                                QFontInfo(window->font()).family() == forms::layoutFont().family()
                                    ? "layout font"
                                    : "other font"};
        std::printf("%s\n", parts.join(" | ").toUtf8().constData());
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    bool seen_ = false;
};

void watch() {
    qApp->installEventFilter(new Probe(qApp));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(watch)
