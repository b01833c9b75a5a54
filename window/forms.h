// What the program's Qt windows share: the layout's font, the program's
// pictures, colour contrast, and the runtime that shows their modal boxes and
// dialogs (which tests replace).
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace forms {

// The window's fixed layout was drawn for a narrow sans serif at 9.75 pt. This is
// the first installed face with those widths, else a common sans face, else the
// first installed family: always an installed one, so that the font system never
// searches for a substitute, which is slow. Set it as the application font once,
// before any widget exists.
QFont layoutFont();

// The program's icon, for any of its windows. Each picture is decoded only
// when its size is asked for: a plain QIcon decodes every picture as it is
// added, though the window icon is never drawn on some platforms.
QIcon programIcon();

// A picture drawn at `size` for a screen of `ratio`, from a picture of that size
// or one of twice it: the same pixels a QIcon of both gives, decoding only the
// one it would pick.
QPixmap pictureFor(const QString& single, const QString& doubled, const QSize& size, qreal ratio);

// WCAG contrast ratio of two colours, from 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// Modal boxes and dialogs, each centred on the window it belongs to.
class Runtime {
  public:
    virtual ~Runtime() = default;

    // A box with one OK button; a "\r\n" in the text starts a new line.
    void message(QWidget* owner, QMessageBox::Icon icon, const QString& title, const QString& text);

    // The file a user picks to save into, or an empty text when cancelled.
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                                 const QString& filter);

  protected:
    // Shows the finished box and waits for it; tests look at it instead.
    virtual void present(QMessageBox& box);
};

// The runtime of a real desktop session.
Runtime& desktopRuntime();

}  // namespace forms
