#include <QApplication>

#include "frmVelmiro.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmiro"));
    QApplication::setApplicationVersion(QStringLiteral(VELMIRO_VERSION));
    // Lets a Wayland desktop match the window to its menu entry and icon.
    QApplication::setDesktopFileName(QStringLiteral(VELMIRO_APP_ID));
    // Before any widget exists, so that each lays out its text once, in this face.
    QApplication::setFont(forms::layoutFont());

    frmVelmiro window(forms::desktopRuntime());
    window.show();
    return QApplication::exec();
}
