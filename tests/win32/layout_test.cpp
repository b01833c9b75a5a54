// The Win32 window's layout data, made from frmVelmiro.ui by a CMake script,
// against what uic makes of the same file: the same controls with the same
// places, parents, texts, tooltips, fonts, frames, buddies and tab order.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QVariant>
#include <QWidget>

#include <iterator>

#include "frmVelmiro_layout.h"
#include "ui_frmVelmiro.h"

namespace {

// One control as a line of text, from uic's widget and from the data.
template <typename... Parts>
QString line(const Parts&... parts) {
    return QStringList{QVariant(parts).toString()...}.join('|');
}

QString describe(const QWidget* w, int tab) {
    const auto* label = qobject_cast<const QLabel*>(w);
    const auto* button = qobject_cast<const QAbstractButton*>(w);
    const auto* group = qobject_cast<const QGroupBox*>(w);
    const QRect r = w->geometry();
    const QWidget* parent = w->parentWidget();
    const int size = w->font().pointSize();
    const QString text = label    ? label->text()
                         : button ? button->text()
                         : group  ? group->title()
                                  : "";
    return line(
        w->objectName(), r.x() * 15, r.y() * 15, r.width() * 15, r.height() * 15,
        parent->parentWidget() ? parent->objectName() : "", text, w->toolTip(), w->font().bold(),
        size != w->window()->font().pointSize() ? size : 0,
        label && label->alignment() == Qt::AlignCenter,
        label && label->frameShadow() == QFrame::Sunken && label->frameShape() != QFrame::NoFrame,
        label && label->buddy() ? label->buddy()->objectName() : "", tab);
}

// The name of the control with an id, or "" for none.
const char* nameOf(int id) {
    return id != 0 ? layout::controls[id - layout::controls[0].id].name : "";
}

QString describe(const layout::Control& c) {
    return line(c.name, c.left, c.top, c.width, c.height, nameOf(c.parent), c.text, c.toolTip,
                c.bold, c.points, c.centred, c.sunken, nameOf(c.buddy), c.tab);
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
    for (const layout::Control& c : layout::controls) {
        fromData << describe(c);
        EXPECT_EQ(nameOf(c.id), c.name);  // each row's id finds that row
    }
    EXPECT_EQ(fromUic.join('\n').toStdString(), fromData.join('\n').toStdString());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
