#include <QApplication>

#include "frmVelmiro.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmiro"));
    QApplication::setApplicationVersion(QStringLiteral(VELMIRO_VERSION));
    // Lets a Wayland desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(VELMIRO_APP_ID));

    frmVelmiro window(forms::desktopRuntime());
    window.show();
    return QApplication::exec();
}
