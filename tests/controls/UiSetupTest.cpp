// The interface speaks Chinese: Qt's standard buttons and the fonts the program asks for.
#include "controls/UiSetup.h"

#include <QApplication>
#include <QDateTime>
#include <QLocale>
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

// Qt's dialogs take dates and numbers from the system locale, read from the environment when
// the application starts: the program starts with the Chinese one unless the user set LC_ALL.
TEST(UiSetupTest, TheSystemLocaleQtReadsAtTheStartIsChineseUnlessTheUserSetLcAll)
{
    const QByteArray saved[4] = {qgetenv("LC_ALL"), qgetenv("LC_TIME"), qgetenv("LC_NUMERIC"), qgetenv("LC_MESSAGES")};
    qunsetenv("LC_ALL");
    qputenv("LC_TIME", "en_GB.UTF-8");
    UiSetup::chooseChineseSystemLocale();
    const QLocale dates(QString::fromLatin1(qgetenv("LC_TIME")));
    EXPECT_EQ(dates.toString(QDateTime(QDate(2026, 12, 8), QTime(20, 5, 10)), QLocale::ShortFormat),
              QStringLiteral("2026/12/8 20:05"));
    EXPECT_EQ(QLocale(QString::fromLatin1(qgetenv("LC_MESSAGES"))).language(), QLocale::Chinese);

    qputenv("LC_ALL", "en_GB.UTF-8");
    qputenv("LC_TIME", "en_GB.UTF-8");
    UiSetup::chooseChineseSystemLocale();
    EXPECT_EQ(qgetenv("LC_TIME"), QByteArray("en_GB.UTF-8"));

    const char* names[4] = {"LC_ALL", "LC_TIME", "LC_NUMERIC", "LC_MESSAGES"};
    for (int i = 0; i < 4; ++i)
        saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
}
