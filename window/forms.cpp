#include "forms.h"

#include <QApplication>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>

#include <cmath>

#include "velmiro/calc.h"

namespace forms {

namespace {

int toPixels(float twips) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}
float toTwips(int pixels) {
    return static_cast<float>(pixels) * twipsPerPixel;
}

}  // namespace

void Runtime::MsgBox(const QString& prompt, int style, const QString& title) {
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const auto icon = (style & vbCritical) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void Runtime::raise(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const velmiro::CalcError& error) {
        MsgBox(QStringLiteral("Errore di run-time '%1': %2")
                   .arg(error.number())
                   .arg(QString::fromUtf8(error.description())),
               vbCritical | vbOKOnly, QStringLiteral("Velmiro"));
    }
}

Runtime& desktopRuntime() {
    static Runtime runtime;
    return runtime;
}

void Label::setForeColor(const QColor& color) {
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, color);
    label_->setPalette(palette);
}

void CheckBox::onClick(QObject* context, std::function<void()> handler) {
    QObject::connect(box_, &QCheckBox::toggled, context,
                     [handler = std::move(handler)] { handler(); });
}

Form::Form(Runtime& runtime, QWidget* parent) : QWidget(parent), runtime_(runtime) {}

float Form::outerWidth() const {
    return toTwips(frameGeometry().width());
}
float Form::outerHeight() const {
    return toTwips(frameGeometry().height());
}
float Form::screenWidth() const {
    return toTwips(screen()->geometry().width());
}
float Form::screenHeight() const {
    return toTwips(screen()->geometry().height());
}

void Form::moveLeft(float twips) {
    move(screen()->geometry().x() + toPixels(twips), pos().y());
}
void Form::moveTop(float twips) {
    move(pos().x(), screen()->geometry().y() + toPixels(twips));
}

void Form::setVisible(bool visible) {
    if (visible && !loaded_) {
        loaded_ = true;
        // Create the native window first: the outer size then includes
        // whatever the platform already knows of the frame.
        winId();
        runtime_.raise([this] { Form_Load(); });
    }
    QWidget::setVisible(visible);
}

}  // namespace forms
