// What every window shares: activation from another window, single instances, naming,
// keys, placement on the screen.
#include "controls/DataGrid.h"
#include "controls/FormWindow.h"
#include "controls/SingleWindow.h"
#include "controls/WindowKeys.h"
#include "controls/WindowPlacement.h"

#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QScreen>
#include <QTest>
#include <QWindow>
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

namespace {

// A window as the program makes them: boxes, a grid with its navigation row, buttons.
struct KeyedWindow {
    FormWindow window{QStringLiteral("Form3"), QStringLiteral("创建营销计划"), 6000, 4000};
    QLineEdit* box = new QLineEdit(&window);
    DataGrid* grid = new DataGrid(&window);
    QStringList pressed;

    KeyedWindow()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(grid);
        auto* row = new QHBoxLayout;
        for (const char* caption : {"<", ">", "保存", "查寻", "打印", "添加", "删除", "返回"}) {
            auto* button = new QPushButton(QString::fromUtf8(caption), &window);
            row->addWidget(button);
            QObject::connect(button, &QPushButton::clicked, [this, button] { pressed << button->text(); });
        }
        layout->addLayout(row);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
};

TEST(FormWindowKeys, ShortcutsPressTheButtonsOfTheirCaptions)
{
    KeyedWindow w;
    w.box->setFocus();
    QTest::keyClick(w.box, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(w.box, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(w.box, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(w.box, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(w.box, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(w.box, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(w.box, Qt::Key_Delete);   // a box keeps its Delete
    EXPECT_EQ(w.pressed, QStringList({"保存", "查寻", "打印", "添加", ">", "<"}));

    w.pressed.clear();
    w.grid->setFocus();
    QTest::keyClick(w.grid, Qt::Key_Delete);
    QTest::keyClick(w.grid, Qt::Key_Escape);
    EXPECT_EQ(w.pressed, QStringList({"删除", "返回"}));

    // A button that cannot be pressed is not pressed by its key either.
    w.pressed.clear();
    WindowKeys::buttonFor(&w.window, {QStringLiteral("保存")})->setEnabled(false);
    QTest::keyClick(w.box, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(w.pressed.isEmpty());
}

TEST(FormWindowKeys, EnterPressesTheDefaultButtonAndNavigationKeysTheRowUnderTheGrid)
{
    FormWindow window(QStringLiteral("mainFm1"), QStringLiteral("Marquel"), 6000, 6000);
    auto* layout = new QVBoxLayout(&window);
    QStringList pressed;
    auto addGrid = [&](const QString& name) {
        auto* grid = new DataGrid(&window);
        layout->addWidget(grid);
        auto* row = new QHBoxLayout;
        for (const QString& caption : {QStringLiteral("<"), QStringLiteral(">")}) {
            auto* button = new QPushButton(caption, &window);
            row->addWidget(button);
            QObject::connect(button, &QPushButton::clicked, [&pressed, name, caption] { pressed << name + caption; });
        }
        layout->addLayout(row);
        return grid;
    };
    DataGrid* plans = addGrid(QStringLiteral("plans"));
    auto* deletePlan = new QPushButton(QStringLiteral("删除"), &window);
    layout->addWidget(deletePlan);
    QObject::connect(deletePlan, &QPushButton::clicked, [&pressed] { pressed << QStringLiteral("删除"); });
    DataGrid* days = addGrid(QStringLiteral("days"));
    auto* ok = new QPushButton(QStringLiteral("确定"), &window);
    ok->setDefault(true);
    layout->addWidget(ok);
    QObject::connect(ok, &QPushButton::clicked, [&pressed] { pressed << QStringLiteral("确定"); });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    days->setFocus();
    QTest::keyClick(days, Qt::Key_PageDown, Qt::ControlModifier);
    QTest::keyClick(days, Qt::Key_Delete);   // the plans' "删除" stands above: not this grid's
    plans->setFocus();
    QTest::keyClick(plans, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(plans, Qt::Key_Delete);
    QTest::keyClick(plans, Qt::Key_Return);
    QTest::keyClick(&window, Qt::Key_Escape);   // no "返回" here: nothing happens
    EXPECT_EQ(pressed, QStringList({"days>", "plans<", "删除", "确定"}));
}

TEST(FormWindowPlacement, AWindowTooLargeForALaptopScreenIsShrunkWithItsTitleBarOnScreen)
{
    const QRect laptop(0, 0, 1366, 768);
    const QMargins frame(1, 30, 1, 1);
    // The main window asks for 808 × 780: it opens 737 high, the title bar at the top.
    const QRect main = WindowPlacement::fittedGeometry(laptop, QRect(279, -6, 808, 780), QSize(600, 500), frame);
    EXPECT_EQ(main, QRect(279, 30, 808, 737));
    // Never below its minimum size; then its title bar stays reachable at the top left.
    EXPECT_EQ(WindowPlacement::fittedGeometry(laptop, QRect(0, 0, 1500, 900), QSize(1400, 800), frame),
              QRect(1, 30, 1400, 800));
    // A window placed beyond the screen (a monitor since unplugged) comes back onto it.
    EXPECT_EQ(WindowPlacement::fittedGeometry(laptop, QRect(2000, 900, 400, 300), QSize(), frame),
              QRect(965, 467, 400, 300));
}

TEST(FormWindowPlacement, AWindowOpensCentredEachTimeAboveTheMainWindowAndStaysOnTheScreen)
{
    FormWindow main(QStringLiteral("mainFm1"), QStringLiteral("Marquel"), 9000, 9000);
    main.show();
    const QRect available = main.screen()->availableGeometry();
    EXPECT_TRUE(available.contains(main.frameGeometry()));
    {
        auto* editor = new FormWindow(QStringLiteral("Form3"), QStringLiteral("创建营销计划"), 6000, 4000);
        editor->show();
        QApplication::processEvents();
        ASSERT_TRUE(editor->windowHandle());
        EXPECT_EQ(editor->windowHandle()->transientParent(), main.windowHandle());
        editor->setGeometry(120, 140, 500, 420);
        editor->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Nothing of a window's place is kept: opened again, it is centred at its own size.
    FormWindow again(QStringLiteral("Form3"), QStringLiteral("创建营销计划"), 6000, 4000);
    const QSize ownSize = again.size();
    again.show();
    QApplication::processEvents();
    EXPECT_EQ(again.size(), ownSize);
    EXPECT_EQ(again.frameGeometry().center().x(), available.center().x());

    // Moved off the screen (a monitor since unplugged): put back entirely on this one.
    again.setGeometry(available.right() + 400, 50, 500, 420);
    WindowPlacement::keepOnScreen(&again);
    EXPECT_TRUE(available.contains(again.frameGeometry()));
    EXPECT_EQ(again.size(), QSize(500, 420));
}

} // namespace

namespace {

TEST(FormWindowKeys, TabGoesThroughTheBoxesAsTheyStandNotAsTheyWereMade)
{
    FormWindow window(QStringLiteral("Form3"), QStringLiteral("创建营销计划"), 6000, 4000);
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new QGridLayout;
    QLineEdit* boxes[4];
    for (int i = 3; i >= 0; --i) {   // made last to first
        boxes[i] = new QLineEdit(&window);
        grid->addWidget(boxes[i], i / 2, i % 2);
    }
    auto* ok = new QPushButton(QStringLiteral("保存"), &window);
    auto* title = new QLineEdit(&window);
    layout->addWidget(title);   // above the grid, though made after it
    layout->addLayout(grid);
    layout->addWidget(ok);
    window.show();
    // The chain as Tab walks it: the widgets that take the focus by Tab.
    QList<QWidget*> order{title};
    for (QWidget* next = title->nextInFocusChain(); order.size() < 6; next = next->nextInFocusChain())
        if (next->focusPolicy() & Qt::TabFocus)
            order << next;
    EXPECT_EQ(order, QList<QWidget*>({title, boxes[0], boxes[1], boxes[2], boxes[3], ok}));
}

} // namespace
