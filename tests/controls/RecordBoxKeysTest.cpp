// The keyboard rules of a window's entry boxes, typed into real boxes.
#include "controls/RecordBoxKeys.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class RecordBoxKeysTest : public ::testing::Test {
protected:
    QWidget window;
    QList<QLineEdit*> boxes;

    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        for (int i = 0; i < 9; ++i) {
            boxes << new QLineEdit(QStringLiteral("值%1").arg(i), &window);
            layout->addWidget(boxes.last());
        }
        new RecordBoxKeys(boxes, &window);
        window.show();
        QApplication::setActiveWindow(&window);
        boxes[0]->setFocus();
        QApplication::processEvents();
    }

    int focused() const { return int(boxes.indexOf(qobject_cast<QLineEdit*>(QApplication::focusWidget()))); }
};

TEST_F(RecordBoxKeysTest, EnterAndCtrlArrowsMoveRoundTheBoxes)
{
    QTest::keyClick(boxes[0], Qt::Key_Return);
    EXPECT_EQ(focused(), 1);
    boxes[8]->setFocus();
    QTest::keyClick(boxes[8], Qt::Key_Return);
    EXPECT_EQ(focused(), 0);
    QTest::keyClick(boxes[0], Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(focused(), 8);
    QTest::keyClick(boxes[8], Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(focused(), 0);
}

TEST_F(RecordBoxKeysTest, ArrowsWithOtherModifiersDoNothingSpecial)
{
    QTest::keyClick(boxes[0], Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(focused(), 0);
    QTest::keyClick(boxes[0], Qt::Key_Down);
    EXPECT_EQ(focused(), 0);
}

TEST_F(RecordBoxKeysTest, ABoxSelectsAllItsTextWhenItGetsTheFocus)
{
    QTest::keyClick(boxes[3], Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(focused(), 4);
    EXPECT_EQ(boxes[4]->selectedText(), QStringLiteral("值4"));
    QTest::keyClicks(boxes[4], QStringLiteral("x"));   // typing replaces the whole text
    EXPECT_EQ(boxes[4]->text(), QStringLiteral("x"));
}

} // namespace
