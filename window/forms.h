// The few operations of a classic forms runtime that the window's handlers
// use, on top of Qt Widgets. Lengths are in twips, 15 to the pixel.
#pragma once

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>

namespace forms {

constexpr float twipsPerPixel = 15.0f;

// Message box styles, combinable as flags.
enum MsgBoxStyle : int { vbOKOnly = 0, vbCritical = 16 };

inline QColor rgb(int red, int green, int blue) {
    return QColor::fromRgb(red, green, blue);
}

// Modal dialogs and the running of handlers. Tests replace MsgBox to record
// what would have been shown instead of blocking on it.
class Runtime {
  public:
    virtual ~Runtime() = default;

    // Modal box with an OK button; a "\r\n" in the prompt starts a new line.
    virtual void MsgBox(const QString& prompt, int style, const QString& title);

    // Runs one event handler. A calculation failure ends the handler and is
    // reported in a modal box; the window then goes on as before.
    void raise(const std::function<void()>& handler);
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
  public:
    explicit Form(Runtime& runtime, QWidget* parent = nullptr);

    Runtime& runtime() const { return runtime_; }

    // Outer size of the window and size of its screen, in twips.
    float outerWidth() const;
    float outerHeight() const;
    float screenWidth() const;
    float screenHeight() const;
    // Position on the window's screen, in twips.
    void moveLeft(float twips);
    void moveTop(float twips);

    void setVisible(bool visible) override;

  protected:
    virtual void Form_Load() {}

  private:
    Runtime& runtime_;
    bool loaded_ = false;
};

}  // namespace forms
