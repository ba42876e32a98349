#include "core/TextRules.h"

#include <QDate>
#include <QDateTime>

#include <gtest/gtest.h>

#include <limits>

using namespace TextRules;

TEST(ValTest, ReadsTheLeadingNumberAndStopsAtTheFirstOtherCharacter)
{
    EXPECT_DOUBLE_EQ(Val("12abc"), 12);
    EXPECT_DOUBLE_EQ(Val("-4"), -4);
    EXPECT_DOUBLE_EQ(Val("+7"), 7);
    EXPECT_DOUBLE_EQ(Val("3.5e2x"), 350);
    EXPECT_DOUBLE_EQ(Val("2D3"), 2000);
    EXPECT_DOUBLE_EQ(Val("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(Val("1,000"), 1);
    EXPECT_DOUBLE_EQ(Val(".5"), 0.5);
    EXPECT_DOUBLE_EQ(Val("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(Val("5."), 5);
    EXPECT_DOUBLE_EQ(Val("12个"), 12);
}

TEST(ValTest, IsZeroWithoutANumber)
{
    EXPECT_EQ(Val("abc"), 0);
    EXPECT_EQ(Val(""), 0);
    EXPECT_EQ(Val("."), 0);
    EXPECT_EQ(Val("-"), 0);
    EXPECT_EQ(Val("e5"), 0);
    EXPECT_EQ(Val("一二"), 0);
    EXPECT_FALSE(std::signbit(Val("-0")));
}

TEST(ValTest, SkipsBlanksAnywhere)
{
    EXPECT_DOUBLE_EQ(Val(" 1 2"), 12);
    EXPECT_DOUBLE_EQ(Val("\t- 3\r\n4"), -34);
    EXPECT_DOUBLE_EQ(Val("1 . 5 e 1"), 15);
    // The ideographic space is not one of those blanks: it ends the number.
    EXPECT_DOUBLE_EQ(Val(u"1\u30002"_qs), 1);
}

TEST(ValTest, IgnoresAnExponentWithoutDigits)
{
    EXPECT_DOUBLE_EQ(Val("1e"), 1);
    EXPECT_DOUBLE_EQ(Val("1e+"), 1);
    EXPECT_DOUBLE_EQ(Val("1ex5"), 1);
    EXPECT_DOUBLE_EQ(Val("2e-1"), 0.2);
}

TEST(CounterValueTest, RoundsHalfToEven)
{
    EXPECT_EQ(counterValue("7"), 7);
    EXPECT_EQ(counterValue("2.5"), 2);
    EXPECT_EQ(counterValue("3.5"), 4);
    EXPECT_EQ(counterValue("2.51"), 3);
    EXPECT_EQ(counterValue("-2.5"), -2);
    EXPECT_EQ(counterValue("-3.7"), -4);
    EXPECT_EQ(counterValue("abc"), 0);
    EXPECT_EQ(counterValue(" 1 5次"), 15);
}

TEST(CounterValueTest, StaysWithinRangeForHugeNumbers)
{
    EXPECT_EQ(counterValue("1e30"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(counterValue("-1e400"), std::numeric_limits<qint64>::min());
}

TEST(TrimBlanksTest, TrimsSpacesAndIdeographicSpacesAtBothEnds)
{
    EXPECT_EQ(trimBlanks(u"\u3000 营销 对象 \u3000"_qs), u"营销 对象"_qs);
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimBlanks(""), "");
    // Line breaks and tabs belong to a memo text.
    EXPECT_EQ(trimBlanks(" line1\r\nline2\t "), "line1\r\nline2\t");
}

TEST(JoinedTextTest, NullIsEmptyAndTextsStay)
{
    EXPECT_EQ(joinedText(QVariant()), "");
    EXPECT_EQ(joinedText(QVariant(QMetaType::fromType<QDate>())), "");
    EXPECT_EQ(joinedText(u" 天津 "_qs), u" 天津 "_qs);
    EXPECT_EQ(trimmedText(u" 天津\u3000"_qs), u"天津"_qs);
}

TEST(JoinedTextTest, DatesInShortForm)
{
    EXPECT_EQ(joinedText(QDate(2026, 12, 7)), "2026/12/7");
    EXPECT_EQ(joinedText(QDate(2026, 1, 5)), "2026/1/5");
    EXPECT_EQ(joinedText(QDateTime(QDate(2026, 12, 7), QTime(0, 0))), "2026/12/7");
    EXPECT_EQ(joinedText(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3))), "2026/12/7 9:05:03");
    EXPECT_EQ(joinedText(QDateTime(QDate(2026, 12, 7), QTime(0, 0, 1))), "2026/12/7 0:00:01");
}

TEST(JoinedTextTest, NumbersWithoutNeedlessDigits)
{
    EXPECT_EQ(joinedText(42), "42");
    EXPECT_EQ(joinedText(qint64(-9000000000)), "-9000000000");
    EXPECT_EQ(joinedText(12.5), "12.5");
    EXPECT_EQ(joinedText(3.0), "3");
    EXPECT_EQ(joinedText(0.1 + 0.2), "0.3");
    EXPECT_EQ(joinedText(3.0 / 7.0), "0.428571428571429");
    EXPECT_EQ(joinedText(1234567.0), "1234567");
    EXPECT_EQ(joinedText(0.0001), "0.0001");
    EXPECT_EQ(joinedText(1e20), "1E+20");
    EXPECT_EQ(joinedText(-0.0), "0");
    EXPECT_EQ(joinedText(QVariant(0.1f)), "0.1");
}

TEST(PositionTextTest, ShowsPositionSlashCount)
{
    EXPECT_EQ(positionText(3, 7), "3/7");
    EXPECT_EQ(positionText(1, 1), "1/1");
    EXPECT_EQ(positionText(0, 0), "0/0");
    EXPECT_EQ(positionText(-1, 0), "0/0");
    EXPECT_EQ(positionText(-1, 7), "0/7");
}

TEST(FieldTextTest, AValueIsCutToTheFieldSizeBeforeItsBlanksAreTrimmed)
{
    EXPECT_EQ(TextRules::fieldText(QVariant(), 20), QString());
    EXPECT_EQ(TextRules::fieldText(QStringLiteral("  北京甲公司  "), 100), QStringLiteral("北京甲公司"));
    // The cut falls inside the blanks between two words: those blanks go too.
    EXPECT_EQ(TextRules::fieldText(QStringLiteral("北京市海淀区   中关村大街1号"), 8), QStringLiteral("北京市海淀区"));
    EXPECT_EQ(TextRules::fieldText(QStringLiteral("  100080"), 5), QStringLiteral("100"));
    EXPECT_EQ(TextRules::fieldText(qint64(13812345678), 30), QStringLiteral("13812345678"));
    EXPECT_EQ(TextRules::fieldText(12.5, 30), QStringLiteral("12.5"));
    EXPECT_EQ(TextRules::fieldText(QDate(2026, 12, 7), 30), QStringLiteral("2026/12/7"));
}

// A text the rules leave as it is may be copied as its bytes: every text said to be kept must
// come out of fieldText unchanged, and every one that would change must not be said kept.
TEST(FieldTextTest, OnlyTextsTheRulesLeaveUnchangedAreTakenAsTheirUtf8)
{
    const QByteArray ideographicSpace("\xE3\x80\x80");
    const QList<QPair<QByteArray, int>> kept{
        {QStringLiteral("北京甲公司").toUtf8(), 5},
        {QStringLiteral("a 中 b").toUtf8(), 5},
        {QStringLiteral("𪚥x").toUtf8(), 3},   // two UTF-16 units and one
        {QByteArray("tab\t"), 4},
        {QByteArray("x\0y", 3), 3},
    };
    const QList<QPair<QByteArray, int>> changed{
        {QByteArray(), 10},
        {QStringLiteral("北京甲公司").toUtf8(), 4},   // cut
        {QStringLiteral("𪚥x").toUtf8(), 2},          // the character beyond U+FFFF counts twice
        {QByteArray(" a"), 10},
        {QByteArray("a "), 10},
        {ideographicSpace + "a", 10},
        {"a" + ideographicSpace, 10},
        {QByteArray("\xEF\xBB\xBF") + "a", 10},   // a byte order mark
        {QByteArray("\xE4\xB8"), 10},             // cut short
        {QByteArray("a\x80"), 10},                // a lone continuation byte
        {QByteArray("\xC0\x80"), 10},             // an overlong form
        {QByteArray("\xED\xA0\x80"), 10},         // a surrogate
        {QByteArray("\xF4\x90\x80\x80"), 10},     // past U+10FFFF
    };
    for (const auto& [bytes, size] : kept) {
        EXPECT_TRUE(fieldTextKeepsUtf8(bytes, size)) << bytes.toHex().constData();
        EXPECT_EQ(fieldText(QString::fromUtf8(bytes), size).toUtf8(), bytes);
    }
    for (const auto& [bytes, size] : changed)
        EXPECT_FALSE(fieldTextKeepsUtf8(bytes, size)) << bytes.toHex().constData();
}
