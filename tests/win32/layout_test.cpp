// The Win32 window's layout data, made from frmVelmiro.ui by a CMake script,
// against what uic makes of the same file: the same controls with the same
// places, parents, texts, tooltips, fonts, frames, buddies and tab order.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <iterator>

#include "frmVelmiro_layout.h"
#include "ui_frmVelmiro.h"

namespace {

// One control as a line of text, from uic's widget and from the data.
QString describe(const QWidget* w, int tab) {
    const auto* label = qobject_cast<const QLabel*>(w);
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const auto* group = qobject_cast<const QGroupBox*>(w);
    const QRect r = w->geometry();
    const QString parent = w->parentWidget()->parentWidget() ? w->parentWidget()->objectName() : "";
    return QStringLiteral(
               "%1 %2,%3 %4x%5 in '%6' '%7' '%8' bold %9 %10pt centred %11 sunken %12 "
               "buddy '%13' tab %14")
        .arg(w->objectName())
        .arg(r.x() * 15)
        .arg(r.y() * 15)
        .arg(r.width() * 15)
        .arg(r.height() * 15)
        .arg(parent,
             label    ? label->text()
             : button ? button->text()
             : group  ? group->title()
                      : "",
             w->toolTip())
        .arg(w->font().bold())
        .arg(w->font().pointSize() != w->window()->font().pointSize() ? w->font().pointSize() : 0)
        .arg(label && label->alignment() == Qt::AlignCenter)
        .arg(label && label->frameShadow() == QFrame::Sunken &&
             label->frameShape() != QFrame::NoFrame)
        .arg(label && label->buddy() ? label->buddy()->objectName() : "")
        .arg(tab);
}

QString describe(const layout::Control& c) {
    return QStringLiteral(
               "%1 %2,%3 %4x%5 in '%6' '%7' '%8' bold %9 %10pt centred %11 sunken %12 "
               "buddy '%13' tab %14")
        .arg(c.name)
        .arg(c.left)
        .arg(c.top)
        .arg(c.width)
        .arg(c.height)
        .arg(c.parent, QString::fromUtf8(c.text), QString::fromUtf8(c.toolTip))
        .arg(c.bold)
        .arg(c.points)
        .arg(c.centred)
        .arg(c.sunken)
        .arg(c.buddy)
        .arg(c.tab);
}

TEST(Layout, IsWhatUicMakesOfTheSameFile) {
    QWidget window;
    Ui::frmVelmiro ui;
    ui.setupUi(&window);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8(layout::title));
    EXPECT_EQ(QSize(window.width() * 15, window.height() * 15),
              QSize(layout::clientWidth, layout::clientHeight));
    // The tab stops in the order Tab visits them, past the parts of a combo box.
    QList<const QWidget*> tabs{ui.cboQuarzo};
    for (const QWidget* w = ui.cboQuarzo->nextInFocusChain(); w != ui.cboQuarzo;
         w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !tabs.back()->isAncestorOf(w) &&
            w->parentWidget() != nullptr && !w->parentWidget()->inherits("QComboBox"))
            tabs.append(w);
    }
    QStringList fromUic, fromData;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->parentWidget() == &window || w->parentWidget() == ui.Frame1)
            fromUic << describe(w, static_cast<int>(tabs.indexOf(w)));
    }
    for (const layout::Control& c : layout::controls)
        fromData << describe(c);
    EXPECT_EQ(fromUic.join('\n').toStdString(), fromData.join('\n').toStdString());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
