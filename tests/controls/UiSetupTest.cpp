// The interface speaks Chinese: Qt's standard buttons and the fonts the program asks for.
#include "controls/UiSetup.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontInfo>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(UiSetupTest, StandardButtonsReadChineseAndChineseFontNamesFindInstalledFonts)
{
    UiSetup::prepareApplication(*qApp);
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_TRUE(QFont::substitutes(QStringLiteral("黑体")).contains(QStringLiteral("Noto Sans CJK SC"), Qt::CaseInsensitive));
    EXPECT_TRUE(QFontInfo(QFont(QStringLiteral("宋体"))).family().contains(QStringLiteral("CJK")));
}
