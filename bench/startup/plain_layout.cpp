// The window's layout file shown by a plain main(): what the program adds to the
// controls themselves (its logic, the font choice, the pictures, the readable
// results) is what it costs beyond this.
#include <QApplication>
#include <QWidget>

#include "ui_frmVelmiro.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    Ui::frmVelmiro ui;
    ui.setupUi(&window);
    window.show();
    return QApplication::exec();
}
