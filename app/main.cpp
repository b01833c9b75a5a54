#include <QApplication>

#include "frmVelmiro.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmiro"));
    QApplication::setApplicationVersion(QStringLiteral(VELMIRO_VERSION));

    frmVelmiro window(forms::desktopRuntime());
    window.show();
    return QApplication::exec();
}
