#include "exchange/sources/ExcelCells.h"

#include <QDateTime>
#include <gtest/gtest.h>

TEST(ExcelCells, WholeNumbersStayWholeAndOthersStayReal)
{
    EXPECT_EQ(ExcelCells::number(13812345678.0), QVariant(qint64(13812345678)));
    EXPECT_EQ(ExcelCells::number(-7.0), QVariant(qint64(-7)));
    EXPECT_EQ(ExcelCells::number(2.5).typeId(), QMetaType::Double);
    EXPECT_EQ(ExcelCells::number(1e20).typeId(), QMetaType::Double);   // beyond exact whole numbers
    EXPECT_FALSE(ExcelCells::number(std::numeric_limits<double>::infinity()).isValid());
}

TEST(ExcelCells, DateSerialsInBothDateSystems)
{
    EXPECT_EQ(ExcelCells::dateFromSerial(43831.0, false), QVariant(QDate(2020, 1, 1)));
    EXPECT_EQ(ExcelCells::dateFromSerial(43831.0423726852, false), QVariant(QDateTime(QDate(2020, 1, 1), QTime(1, 1, 1))));
    EXPECT_EQ(ExcelCells::dateFromSerial(1.0, false), QVariant(QDate(1900, 1, 1)));
    EXPECT_EQ(ExcelCells::dateFromSerial(61.0, false), QVariant(QDate(1900, 3, 1)));
    EXPECT_EQ(ExcelCells::dateFromSerial(0.5, false), QVariant(QStringLiteral("12:00:00")));   // a time of day alone
    EXPECT_EQ(ExcelCells::dateFromSerial(0.0, true), QVariant(QDate(1904, 1, 1)));
    EXPECT_FALSE(ExcelCells::dateFromSerial(-1.0, false).isValid());
    EXPECT_FALSE(ExcelCells::dateFromSerial(1e12, false).isValid());
}

TEST(ExcelCells, DateFormatsAreToldFromNumberFormats)
{
    EXPECT_TRUE(ExcelCells::isDateFormat(14, {}));
    EXPECT_TRUE(ExcelCells::isDateFormat(57, {}));   // a built-in Chinese date format
    EXPECT_TRUE(ExcelCells::isDateFormat(176, QStringLiteral("yyyy\"年\"m\"月\"d\"日\"")));
    EXPECT_TRUE(ExcelCells::isDateFormat(177, QStringLiteral("[$-804]hh:mm:ss")));
    EXPECT_TRUE(ExcelCells::isDateFormat(178, QStringLiteral("[h]:mm")));
    EXPECT_FALSE(ExcelCells::isDateFormat(0, QStringLiteral("General")));
    EXPECT_FALSE(ExcelCells::isDateFormat(4, QStringLiteral("#,##0.00")));
    EXPECT_FALSE(ExcelCells::isDateFormat(179, QStringLiteral("[Red]0.00;[Blue]-0.00")));
    EXPECT_FALSE(ExcelCells::isDateFormat(180, QStringLiteral("0.00\" m/s\"")));
    EXPECT_FALSE(ExcelCells::isDateFormat(181, QStringLiteral("0_);\\(0\\)")));
}

TEST(ExcelCells, CellReferencesAndEscapes)
{
    EXPECT_EQ(ExcelCells::columnOfReference(QStringLiteral("A1")), 0);
    EXPECT_EQ(ExcelCells::columnOfReference(QStringLiteral("AB12")), 27);
    EXPECT_EQ(ExcelCells::columnOfReference(QStringLiteral("XFD1048576")), 16383);
    EXPECT_EQ(ExcelCells::columnOfReference(QStringLiteral("XFE1")), -1);
    EXPECT_EQ(ExcelCells::columnOfReference(QStringLiteral("ABCD1")), -1);
    EXPECT_EQ(ExcelCells::columnOfReference(QStringLiteral("12")), -1);
    EXPECT_EQ(ExcelCells::unescapeOoxml(QStringLiteral("line_x000D_\nnext _x005F_ end")), QStringLiteral("line\r\nnext _ end"));
}

TEST(ExcelCells, DurationFormatsShowElapsedTime)
{
    EXPECT_EQ(ExcelCells::durationFormat(46, {}), QStringLiteral("[h]:mm:ss"));
    EXPECT_EQ(ExcelCells::durationFormat(164, QStringLiteral("[h]:mm;@")), QStringLiteral("[h]:mm"));
    EXPECT_TRUE(ExcelCells::durationFormat(164, QStringLiteral("hh:mm:ss")).isEmpty());
    EXPECT_TRUE(ExcelCells::durationFormat(164, QStringLiteral("[Red][$-804]yyyy-mm-dd")).isEmpty());
    const double days = (250 * 3600 + 10 * 60 + 10) / 86400.0;
    EXPECT_EQ(ExcelCells::durationText(days, QStringLiteral("[h]:mm:ss")), QStringLiteral("250:10:10"));
    EXPECT_EQ(ExcelCells::durationText(days, QStringLiteral("[mm]:ss")), QStringLiteral("15010:10"));
    EXPECT_EQ(ExcelCells::durationText(-days, QStringLiteral("[h]\"小时\"mm\"分\"")), QStringLiteral("-250小时10分"));
    EXPECT_EQ(ExcelCells::durationText(1.5 / 86400, QStringLiteral("[ss].00")), QStringLiteral("01.50"));
}
