// The question asked before changes not yet saved are left: 保存, 放弃 or 取消.
#include "controls/QtDialogs.h"
#include "controls/ScriptedDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Clicks the button captioned `caption` of the message box about to show (Escape when empty).
void answerWith(const QString& caption)
{
    QTimer::singleShot(0, [caption] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        QStringList captions;
        for (QAbstractButton* button : box->buttons())
            captions << button->text();
        captions.sort();
        EXPECT_EQ(captions, (QStringList{QStringLiteral("保存"), QStringLiteral("取消"), QStringLiteral("放弃")}));
        EXPECT_EQ(box->text(), QStringLiteral("有未保存的修改，是否保存？"));
        if (caption.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* button : box->buttons())
            if (button->text() == caption)
                button->click();
    });
}

TEST(SaveQuestionTest, TheRealBoxAnswersByTheButtonClickedAndEscapeCancels)
{
    const QString question = QStringLiteral("有未保存的修改，是否保存？");
    answerWith(QStringLiteral("保存"));
    EXPECT_EQ(QtDialogs().askToSave(question, QStringLiteral("信息提示")), SaveAnswer::Save);
    answerWith(QStringLiteral("放弃"));
    EXPECT_EQ(QtDialogs().askToSave(question, QStringLiteral("信息提示")), SaveAnswer::Discard);
    answerWith(QString());
    EXPECT_EQ(QtDialogs().askToSave(question, QStringLiteral("信息提示")), SaveAnswer::Cancel);
}

TEST(SaveQuestionTest, ScriptedAnswersComeFromTheQueueThenCancel)
{
    ScriptedDialogs dialogs;
    dialogs.queueSaveAnswer(SaveAnswer::Discard);
    EXPECT_EQ(dialogs.askToSave(QStringLiteral("有未保存的修改，是否保存？"), QStringLiteral("信息提示")), SaveAnswer::Discard);
    EXPECT_EQ(dialogs.askToSave(QStringLiteral("有未保存的修改，是否保存？"), QStringLiteral("信息提示")), SaveAnswer::Cancel);
    ASSERT_EQ(dialogs.log().size(), 2);
    EXPECT_EQ(dialogs.log()[0].kind, QStringLiteral("askToSave"));
    EXPECT_EQ(dialogs.log()[0].title, QStringLiteral("信息提示"));
}

} // namespace
