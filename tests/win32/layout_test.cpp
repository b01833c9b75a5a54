// The Win32 window's layout data, made from frmVelmiro.ui by a CMake script,
// against what uic makes of the same file: the same controls with the same
// places, texts, tooltips, fonts, frames, buddies and tab order.
#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <algorithm>
#include <iterator>

#include "frmVelmiro_layout.h"
#include "ui_frmVelmiro.h"

namespace {

QString textOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        return group->title();
    return {};
}

TEST(Layout, IsWhatUicMakesOfTheSameFile) {
    QWidget window;
    Ui::frmVelmiro ui;
    ui.setupUi(&window);
    EXPECT_EQ(window.objectName(), layout::windowName);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8(layout::title));
    EXPECT_EQ(window.width() * 15, layout::clientWidth);
    EXPECT_EQ(window.height() * 15, layout::clientHeight);

    // The window's own and the frame's own children: not the parts of a combo box.
    auto children = window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (const QGroupBox* frame : window.findChildren<QGroupBox*>())
        children += frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(children.size(), static_cast<qsizetype>(std::size(layout::controls)));
    QList<QWidget*> tabs;
    for (const layout::Control& c : layout::controls) {
        const auto* widget = window.findChild<QWidget*>(c.name);
        ASSERT_NE(widget, nullptr) << c.name;
        const QRect place = widget->geometry();
        EXPECT_EQ(QRect(c.left, c.top, c.width, c.height),
                  QRect(place.x() * 15, place.y() * 15, place.width() * 15, place.height() * 15))
            << c.name;
        EXPECT_EQ(widget->parentWidget()->objectName(),
                  *c.parent != '\0' ? c.parent : layout::windowName)
            << c.name;
        EXPECT_EQ(textOf(widget), QString::fromUtf8(c.text)) << c.name;
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(c.toolTip)) << c.name;
        EXPECT_EQ(widget->font().bold(), c.bold) << c.name;
        if (c.points > 0) {
            EXPECT_EQ(widget->font().pointSize(), c.points) << c.name;
        }
        const auto* label = qobject_cast<const QLabel*>(widget);
        EXPECT_EQ(label != nullptr && label->alignment() == Qt::AlignCenter, c.centred) << c.name;
        const auto* frame = qobject_cast<const QFrame*>(widget);
        EXPECT_EQ(frame != nullptr && frame->frameShadow() == QFrame::Sunken &&
                      frame->frameShape() != QFrame::NoFrame,
                  c.sunken)
            << c.name;
        const QWidget* buddy = label != nullptr ? label->buddy() : nullptr;
        EXPECT_EQ(buddy != nullptr ? buddy->objectName() : QString(), c.buddy) << c.name;
        if (c.tab >= 0) {
            tabs.resize(std::max(tabs.size(), static_cast<qsizetype>(c.tab) + 1));
            tabs[c.tab] = const_cast<QWidget*>(widget);
        }
    }
    const auto stops = std::count_if(children.begin(), children.end(), [](const QWidget* w) {
        return (w->focusPolicy() & Qt::TabFocus) != 0;
    });
    EXPECT_EQ(tabs.size(), stops);
    for (qsizetype i = 0; i + 1 < tabs.size(); ++i) {
        const QWidget* next = tabs[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || tabs[i]->isAncestorOf(next))
            next = next->nextInFocusChain();
        EXPECT_EQ(next, tabs[i + 1]) << i;
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
