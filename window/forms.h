// The few operations the window's handlers use, on top of Qt Widgets: message
// boxes, error reports, labels, check boxes, combo boxes and a window with a
// Load event. Lengths are in twips, 15 to the pixel.
#pragma once

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class QMessageBox;

namespace forms {

constexpr float twipsPerPixel = 15.0f;

// Message box styles, combinable as flags.
enum MsgBoxStyle : int { vbOKOnly = 0, vbCritical = 16 };

inline QColor rgb(int red, int green, int blue) {
    return QColor::fromRgb(red, green, blue);
}

// The window's fixed layout was drawn for a narrow sans serif at 9.75 pt. This is
// the first installed face with those widths, else a common sans face, else the
// first installed family: always an installed one, so that the font system never
// searches for a substitute, which is slow. Set it as the application font once,
// before any widget exists.
QFont layoutFont();

// Whether a face has the widths the layout was drawn for: every text then fits
// as drawn, and nothing needs measuring.
bool hasLayoutWidths(const QString& family);

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

// Modal boxes, each centred on the window it belongs to, and the running of
// handlers.
class Runtime {
  public:
    virtual ~Runtime() = default;

    // Box with an OK button; a "\r\n" in the prompt starts a new line.
    void MsgBox(QWidget* owner, const QString& prompt, int style, const QString& title);

    // The file a user picks to save into, or an empty text when cancelled.
    virtual QString saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                                 const QString& filter);

    // Runs one event handler. A calculation failure ends the handler and is
    // reported in a box, and so is any other exception, which must not unwind
    // through Qt's event dispatch; the window then goes on as before.
    void raise(QWidget* owner, const std::function<void()>& handler);

  protected:
    // Shows the finished box and waits for it; tests look at it instead.
    virtual void present(QMessageBox& box);
};

// The runtime of a real desktop session.
Runtime& desktopRuntime();

class Label {
  public:
    explicit Label(QLabel* label) : label_(label) {}
    void setCaption(const QString& text) { label_->setText(text); }
    void setForeColor(const QColor& color);

  private:
    QLabel* label_;
};

class CheckBox {
  public:
    explicit CheckBox(QCheckBox* box) : box_(box) {}
    int value() const { return box_->isChecked() ? 1 : 0; }
    // A change of Value raises Click at once, nested in the caller.
    void setValue(int value) { box_->setChecked(value != 0); }
    void setCaption(const QString& text) { box_->setText(text); }
    void setToolTipText(const QString& text) { box_->setToolTip(text); }
    void setEnabled(bool enabled) { box_->setEnabled(enabled); }

    // Click comes from toggled(), which fires for user and code changes alike
    // and synchronously; clicked() would miss the changes made by code.
    void onClick(QObject* context, std::function<void()> handler);

  private:
    QCheckBox* box_;
};

class ComboBox {
  public:
    explicit ComboBox(QComboBox* combo) : combo_(combo) {}
    QString text() const { return combo_->currentText(); }
    void addItem(const QString& text) { combo_->addItem(text); }
    void setListIndex(int index) { combo_->setCurrentIndex(index); }

  private:
    QComboBox* combo_;
};

// A top-level window whose Load event runs once, just before it is first shown.
class Form : public QWidget {
    Q_OBJECT

  public:
    explicit Form(Runtime& runtime, QWidget* parent = nullptr);

    // Outer size of the window and size of its screen, in twips.
    float outerWidth() const;
    float outerHeight() const;
    float screenWidth() const;
    float screenHeight() const;
    // Position on the window's screen, in twips.
    void moveLeft(float twips);
    void moveTop(float twips);

    // The runtime's box and handler guard, with this window as the owner.
    void MsgBox(const QString& prompt, int style, const QString& title);
    void runHandler(const std::function<void()>& handler);

    void setVisible(bool visible) override;

  protected:
    virtual void Form_Load() {}
    // The screen's geometry in pixels, in the desktop's coordinates.
    virtual QRect screenGeometry() const;

  private:
    Runtime& runtime_;
    bool loaded_ = false;
};

}  // namespace forms
