#include "forms.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QIconEngine>
#include <QMessageBox>

#include <utility>

#include <algorithm>
#include <cstdint>

#include "velmiro/fontfit.h"
#include "velmiro/form.h"

namespace forms {

namespace {

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

QIcon programIcon() {
    QList<std::pair<QString, QSize>> files;
    for (int size : {16, 32, 48, 64, 128})
        files.append({QStringLiteral(":/velmiro/icon-%1.png").arg(size), QSize(size, size)});
    return QIcon(new FileIconEngine(files));
}

QPixmap pictureFor(const QString& single, const QString& doubled, const QSize& size, qreal ratio) {
    // A QIcon picks the picture whose own ratio, 1 or 2, is nearer the screen's,
    // the single one on a tie.
    QIcon icon;
    icon.addFile(ratio > 1.5 ? doubled : single);
    return icon.pixmap(size, ratio);
}

QFont layoutFont() {
    const QStringList installed = QFontDatabase::families();
    QString family = installed.value(0);
    velmiro::form::chooseFace([&](std::string_view face) {
        const QString wanted = QString::fromUtf8(face.data(), static_cast<qsizetype>(face.size()));
        const auto found = std::find_if(installed.begin(), installed.end(), [&](const QString& f) {
            return f.compare(wanted, Qt::CaseInsensitive) == 0;
        });
        if (found == installed.end())
            return false;
        family = *found;
        return true;
    });
    QFont font = family.isEmpty() ? QFont() : QFont(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(velmiro::form::layoutPoints);
    return font;
}

double contrastRatio(const QColor& a, const QColor& b) {
    auto rgb = [](const QColor& colour) {
        const QColor c = colour.toRgb();
        return velmiro::form::Rgb{static_cast<std::uint8_t>(c.red()),
                                  static_cast<std::uint8_t>(c.green()),
                                  static_cast<std::uint8_t>(c.blue())};
    };
    return velmiro::form::contrastRatio(rgb(a), rgb(b));
}

void Runtime::message(QWidget* owner, QMessageBox::Icon icon, const QString& title,
                      const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, title, shown, QMessageBox::Ok, owner);
    present(box);
}

QString Runtime::saveFileName(QWidget* owner, const QString& caption, const QString& suggested,
                              const QString& filter) {
    return QFileDialog::getSaveFileName(owner, caption, suggested, filter);
}

void Runtime::present(QMessageBox& box) {
    box.exec();
}

Runtime& desktopRuntime() {
    static Runtime runtime;
    return runtime;
}

}  // namespace forms
