// What every window shares: activation from another window, single instances, naming.
#include "controls/FormWindow.h"
#include "controls/SingleWindow.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

void activate(QWidget* window)
{
    QEvent event(QEvent::WindowActivate);
    QApplication::sendEvent(window, &event);
}

TEST(FormWindowTest, ActivatedOnlyWhenComingFromAnotherWindowOfTheProgram)
{
    FormWindow main(QStringLiteral("mainFm1"), QStringLiteral("Marquel"), 6000, 4000);
    FormWindow editor(QStringLiteral("Form3"), QStringLiteral("创建营销计划"), 6000, 4000);
    QSignalSpy mainActivated(&main, &FormWindow::activated);
    activate(&main);
    EXPECT_EQ(mainActivated.count(), 1);
    activate(&main);   // a message box of its own closed: no refresh
    EXPECT_EQ(mainActivated.count(), 1);
    activate(&editor);
    activate(&main);   // back from the plan editor: refresh
    EXPECT_EQ(mainActivated.count(), 2);
}

TEST(FormWindowTest, OpeningALoadedWindowBringsTheSameOneForward)
{
    QPointer<FormWindow> slot;
    int made = 0;
    auto make = [&made]() -> FormWindow* {
        ++made;
        return new FormWindow(QStringLiteral("definitionFm1"), QStringLiteral("产品对照定义"), 4000, 3000);
    };
    FormWindow* first = showSingle<FormWindow>(slot, make);
    FormWindow* second = showSingle<FormWindow>(slot, make);
    EXPECT_EQ(first, second);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(first->isVisible());
    first->close();   // closing unloads it; the next opening makes a new one
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(slot.isNull());
    delete showSingle<FormWindow>(slot, make);
    EXPECT_EQ(made, 2);
}

TEST(FormWindowTest, ControlsAreNamedByCaptionLabelOrFieldWhenShown)
{
    FormWindow window(QStringLiteral("Form3"), QStringLiteral("创建营销计划"), 6000, 4000);
    auto* button = new QPushButton(QStringLiteral("保存"), &window);
    button->setObjectName(QStringLiteral("Command1(2)"));
    auto* label = new QLabel(QStringLiteral("题目："), &window);
    auto* title = new QLineEdit(&window);
    title->setObjectName(QStringLiteral("Text1(1)"));
    label->setBuddy(title);
    auto* position = new QLineEdit(&window);
    position->setObjectName(QStringLiteral("Text2"));
    position->setProperty("fieldName", QStringLiteral("位置"));
    window.show();
    EXPECT_EQ(button->accessibleName(), QStringLiteral("保存"));
    EXPECT_EQ(button->accessibleDescription(), QStringLiteral("Command1(2)"));
    EXPECT_EQ(title->accessibleName(), QStringLiteral("题目："));
    EXPECT_EQ(position->accessibleName(), QStringLiteral("位置"));
    EXPECT_EQ(window.accessibleName(), QStringLiteral("创建营销计划"));
}

} // namespace
