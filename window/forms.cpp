#include "forms.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QIconEngine>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>

#include <utility>

#include <algorithm>
#include <cmath>
#include <exception>

#include "velmiro/calc.h"

namespace forms {

namespace {

int toPixels(float twips) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}
float toTwips(int pixels) {
    return static_cast<float>(pixels) * twipsPerPixel;
}

// Relative luminance of an sRGB colour.
double luminance(const QColor& color) {
    auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const QColor c = color.toRgb();
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// A calculation failure is reported as a numbered run-time error, so that a user
// can quote it by its number; any other failure only by its own text.
QString reportOf(const velmiro::CalcError& error) {
    auto numbered = [](int number, const char* description) {
        return QStringLiteral("Errore di run-time '%1': %2")
            .arg(number)
            .arg(QString::fromUtf8(description));
    };
    switch (error.kind()) {
        case velmiro::CalcErrorKind::TypeMismatch:
            return numbered(13, "Tipo non corrispondente");
        case velmiro::CalcErrorKind::Overflow:
            return numbered(6, "Overflow");
        case velmiro::CalcErrorKind::DivisionByZero:
            return numbered(11, "Divisione per zero");
        default:
            return QStringLiteral("Errore imprevisto: ") + QString::fromUtf8(error.what());
    }
}

// Faces with the widths the layout was drawn for.
constexpr const char* layoutFaces[] = {"MS Sans Serif", "Microsoft Sans Serif", "Arial",
                                       "Liberation Sans", "Arimo"};

// Decodes its pictures on the first size asked for; until then it only knows
// their sizes, which is all a window needs to be created.
class FileIconEngine : public QIconEngine {
  public:
    explicit FileIconEngine(QList<std::pair<QString, QSize>> files) : files_(std::move(files)) {}

    QIconEngine* clone() const override { return new FileIconEngine(*this); }
    QString key() const override { return QStringLiteral("velmiro-files"); }
    bool isNull() override { return files_.isEmpty(); }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        QList<QSize> sizes;
        if (mode == QIcon::Normal && state == QIcon::Off) {
            for (const auto& [file, size] : files_)
                sizes << size;
        }
        return sizes;
    }
    // The decoded icon's answers at a ratio of 1: the caller has already
    // scaled the size, as it does for any engine.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return decoded().pixmap(size, 1.0, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return pixmap(size, mode, state).size();
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        decoded().paint(painter, rect, Qt::AlignCenter, mode, state);
    }

  private:
    QIcon& decoded() {
        if (icon_.isNull()) {
            for (const auto& [file, size] : files_)
                icon_.addFile(file, size);
        }
        return icon_;
    }

    QList<std::pair<QString, QSize>> files_;
    QIcon icon_;
};

}  // namespace

bool hasLayoutWidths(const QString& family) {
    return std::any_of(std::begin(layoutFaces), std::end(layoutFaces), [&family](const char* face) {
        return family.compare(QLatin1String(face), Qt::CaseInsensitive) == 0;
    });
}

QIcon programIcon() {
    QList<std::pair<QString, QSize>> files;
    for (int size : {16, 32, 48, 64, 128})
        files.append({QStringLiteral(":/velmiro/icon-%1.png").arg(size), QSize(size, size)});
    return QIcon(new FileIconEngine(files));
}

QPixmap pictureFor(const QString& single, const QString& doubled, const QSize& size, qreal ratio) {
    // A QIcon picks the picture whose own ratio, 1 or 2, is nearer the screen's,
    // the single one on a tie; the test of this checks it against a QIcon of both.
    QIcon icon;
    icon.addFile(ratio > 1.5 ? doubled : single);
    return icon.pixmap(size, ratio);
}

QFont layoutFont() {
    QList<const char*> preferred(std::begin(layoutFaces), std::end(layoutFaces));
    // Then common sans faces.
    preferred << "DejaVu Sans"
              << "Noto Sans"
              << "Cantarell"
              << "Ubuntu"
              << "Segoe UI";
    const QStringList installed = QFontDatabase::families();
    QString family = installed.value(0);
    for (const char* face : preferred) {
        const auto found =
            std::find_if(installed.begin(), installed.end(), [face](const QString& f) {
                return f.compare(QLatin1String(face), Qt::CaseInsensitive) == 0;
            });
        if (found != installed.end()) {
            family = *found;
            break;
        }
    }
    QFont font = family.isEmpty() ? QFont() : QFont(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    return font;
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void Runtime::MsgBox(QWidget* owner, const QString& prompt, int style, const QString& title) {
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const auto icon = (style & vbCritical) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon;
    QMessageBox box(icon, title, text, QMessageBox::Ok, owner);
    present(box);
}

QString Runtime::saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                              const QString& filter) {
    return QFileDialog::getSaveFileName(owner, caption, suggested, filter);
}

void Runtime::present(QMessageBox& box) {
    box.exec();
}

void Runtime::raise(QWidget* owner, const std::function<void()>& handler) {
    QString report;
    try {
        handler();
        return;
    } catch (const velmiro::CalcError& error) {
        report = reportOf(error);
    } catch (const std::exception& error) {
        report = QStringLiteral("Errore imprevisto: ") + QString::fromUtf8(error.what());
    } catch (...) {
        report = QStringLiteral("Errore imprevisto");
    }
    // Shown once the exception is over: the box runs its own event loop.
    MsgBox(owner, report, vbCritical | vbOKOnly, QStringLiteral("Velmiro"));
}

Runtime& desktopRuntime() {
    static Runtime runtime;
    return runtime;
}

void Label::setForeColor(const QColor& color) {
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, color);
    label_->setPalette(palette);
    // The colour chosen here replaces any drawn for contrast before.
    label_->setForegroundRole(QPalette::WindowText);
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
    return toTwips(screenGeometry().width());
}
float Form::screenHeight() const {
    return toTwips(screenGeometry().height());
}

void Form::moveLeft(float twips) {
    move(screenGeometry().x() + toPixels(twips), pos().y());
}
void Form::moveTop(float twips) {
    move(pos().x(), screenGeometry().y() + toPixels(twips));
}

QRect Form::screenGeometry() const {
    return screen()->geometry();
}

void Form::MsgBox(const QString& prompt, int style, const QString& title) {
    runtime_.MsgBox(this, prompt, style, title);
}

void Form::runHandler(const std::function<void()>& handler) {
    runtime_.raise(this, handler);
}

void Form::setVisible(bool visible) {
    if (visible && !loaded_) {
        loaded_ = true;
        // Create the native window first: the outer size then includes
        // whatever the platform already knows of the frame.
        winId();
        runHandler([this] { Form_Load(); });
    }
    QWidget::setVisible(visible);
}

}  // namespace forms
