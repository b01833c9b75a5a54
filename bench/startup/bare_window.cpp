// The baseline: the least a Qt Widgets program does to show a window of our size. Built a
// second time with one line of text in it, which shows what Qt's font system costs any
// window that draws text.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("PIC Velmiro"));
    window.setFixedSize(421, 188);
#ifdef VELMIRO_BARE_WITH_TEXT
    QLabel label(QStringLiteral("Frequenza quarzo"), &window);
#endif
    window.show();
    return QApplication::exec();
}
