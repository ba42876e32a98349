// Excel workbooks as other programs store them, written byte by byte: empty texts at the edges
// of a sheet, Excel 5/95 books with shared formulas, books saved with a password.
#include "BiffBytes.h"
#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "exchange/sources/SourceFiles.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace BiffBytes;

namespace {

constexpr quint16 Biff8 = 0x0600;
constexpr quint16 Biff5 = 0x0500;

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

// A text as the book's version stores it: BIFF8 with its own header, Excel 5/95 as code page bytes.
QByteArray text(quint16 version, const QString& value, bool shortCount = false)
{
    if (version == Biff8) {
        QByteArray wide = wideString(value);
        return shortCount ? wide.remove(1, 1) : wide;   // an 8-bit count is the low byte alone
    }
    const QByteArray bytes = gbk(value);
    return (shortCount ? u8(int(bytes.size())) : u16(int(bytes.size()))) + bytes;
}

QByteArray bof(quint16 version, int kind)
{
    return record(0x0809, u16(version) + u16(kind) + u16(0x0DBB) + u16(1996)
                              + (version == Biff8 ? u32(0) + u32(0x0600) : QByteArray()));
}

QByteArray label(quint16 version, int row, int column, const QString& value)
{
    return record(0x0204, u16(row) + u16(column) + u16(0) + text(version, value));
}

QByteArray number(int row, int column, double value, int xf = 0)
{
    return record(0x0203, u16(row) + u16(column) + u16(xf) + f64(value));
}

// A book of worksheets, each given as its cell records, after the globals' own records.
QByteArray workbookStream(quint16 version, const QByteArray& globals, const QList<QPair<QString, QByteArray>>& sheets)
{
    auto boundSheets = [&](const QList<quint32>& offsets) {
        QByteArray bytes;
        for (int i = 0; i < sheets.size(); ++i)
            bytes += record(0x0085, u32(offsets.value(i)) + u8(0) + u8(0) + text(version, sheets[i].first, true));
        return bytes;
    };
    const QByteArray eof = record(0x000A, {});
    const qsizetype globalsSize = bof(version, 5).size() + globals.size() + boundSheets({}).size() + eof.size();
    QList<quint32> offsets;
    QByteArray sheetBytes;
    for (const auto& sheet : sheets) {
        offsets << quint32(globalsSize + sheetBytes.size());
        sheetBytes += bof(version, 0x10) + sheet.second + eof;
    }
    return bof(version, 5) + globals + boundSheets(offsets) + eof + sheetBytes;
}

QString writeBook(const SourceTestFiles& files, const QString& name, quint16 version, const QByteArray& globals,
                  const QList<QPair<QString, QByteArray>>& sheets)
{
    const QString streamName = version == Biff8 ? QStringLiteral("Workbook") : QStringLiteral("Book");
    return files.write(name, compoundFile({{streamName, workbookStream(version, globals, sheets)}}));
}

// Cell formats of an Excel 5/95 book: 0 general, 1 a date, 2 a duration.
QByteArray excel95Formats()
{
    auto format = [](int id, const QString& code) { return record(0x041E, u16(id) + text(Biff5, code, true)); };
    auto xf = [](int formatId) { return record(0x00E0, u16(0) + u16(formatId) + QByteArray(12, '\0')); };
    return format(164, QStringLiteral("yyyy-mm-dd")) + format(165, QStringLiteral("[h]:mm:ss")) + xf(0) + xf(164) + xf(165);
}

} // namespace

TEST(WrittenWorkbook, EmptyTextsInTheFirstAndLastColumnAreNoPartOfTheTable)
{
    SourceTestFiles files;
    QByteArray cells;
    cells += label(Biff8, 0, 0, QString()) + label(Biff8, 0, 1, QStringLiteral("营销对象")) + label(Biff8, 0, 2, QStringLiteral("电话1"))
             + label(Biff8, 0, 7, QString());
    cells += label(Biff8, 1, 0, QString()) + label(Biff8, 1, 1, QStringLiteral("甲公司")) + number(1, 2, 1012345678)
             + label(Biff8, 1, 9, QString());
    const QString path = writeBook(files, QStringLiteral("edges.xls"), Biff8, {}, {{QStringLiteral("名单"), cells}});
    const auto table = SourceFiles::load(path, QStringLiteral("名单"));
    EXPECT_EQ(fieldNames(table, QStringLiteral("Select * From \"名单$\"")), (QStringList{QStringLiteral("营销对象"), QStringLiteral("电话1")}));
    EXPECT_EQ(rowTexts(table, QStringLiteral("Select * From \"名单$\"")),
              (QList<QStringList>{{QStringLiteral("甲公司"), QStringLiteral("1012345678")}}));
}

TEST(WrittenWorkbook, Excel95BooksGiveEveryRowAndTheResultsOfSharedFormulas)
{
    SourceTestFiles files;
    QByteArray cells = label(Biff5, 0, 0, QStringLiteral("营销对象")) + label(Biff5, 0, 1, QStringLiteral("金额"))
                       + label(Biff5, 0, 2, QStringLiteral("称呼")) + label(Biff5, 0, 3, QStringLiteral("日期"))
                       + label(Biff5, 0, 4, QStringLiteral("通话"));
    const QByteArray sharedReference = u8(0x01) + u16(1) + u16(1);   // ptgExp to B2
    for (int row = 1; row <= 22; ++row) {
        cells += label(Biff5, row, 0, QStringLiteral("客户%1").arg(row));
        // 金额 = a shared formula; its result is kept in the record.
        cells += record(0x0006, u16(row) + u16(1) + u16(0) + f64(row * 10.0) + u16(0x0008) + u32(0)
                                    + u16(int(sharedReference.size())) + sharedReference);
        if (row == 1)
            cells += record(0x04BC, u16(1) + u16(22) + u8(1) + u8(1) + u8(0) + u8(22) + u16(3) + u8(0x24) + u16(0));
        // 称呼 = a text formula: its result follows in a STRING record.
        cells += record(0x0006, u16(row) + u16(2) + u16(0) + u8(0) + QByteArray(5, '\0') + u16(0xFFFF) + u16(0) + u32(0)
                                    + u16(0));
        cells += record(0x0207, text(Biff5, QStringLiteral("客户%1先生").arg(row)));
        cells += number(row, 3, 46000 + row, 1);
        cells += number(row, 4, (250 * 3600 + 10 * 60 + 10) / 86400.0, 2);
    }
    const QString path = writeBook(files, QStringLiteral("excel95.xls"), Biff5,
                                   record(0x0042, u16(936)) + excel95Formats(), {{QStringLiteral("名单"), cells}});
    EXPECT_EQ(SourceFiles::tableNames(path), QStringList{QStringLiteral("名单")});
    const auto rows = rowTexts(SourceFiles::load(path, QStringLiteral("名单")), QStringLiteral("Select * From \"名单$\""));
    ASSERT_EQ(rows.size(), 22);
    EXPECT_EQ(rows[0], (QStringList{"客户1", "10", "客户1先生", "2025/12/10", "250:10:10"}));
    EXPECT_EQ(rows[21], (QStringList{"客户22", "220", "客户22先生", "2025/12/31", "250:10:10"}));

    // A book of numbers alone, without a code page.
    QByteArray numbers;
    for (int row = 0; row < 5; ++row) {
        // MULRK: two whole numbers as RK values (value × 4 + 2), then a NUMBER.
        numbers += record(0x00BD, u16(row) + u16(0) + u16(0) + u32(quint32((row + 1) * 4 + 2)) + u16(0)
                                      + u32(quint32((row + 100) * 4 + 2)) + u16(1));
        numbers += number(row, 2, 13800000000.0 + row);
    }
    const QString plain = writeBook(files, QStringLiteral("numbers95.xls"), Biff5, excel95Formats(), {{QStringLiteral("Sheet1"), numbers}});
    const auto numberRows = rowTexts(SourceFiles::load(plain, QStringLiteral("Sheet1")), QStringLiteral("Select * From \"Sheet1$\""));
    ASSERT_EQ(numberRows.size(), 4);   // the first row names the columns
    EXPECT_EQ(numberRows[3], (QStringList{"5", "104", "13800000004"}));
}

TEST(WrittenWorkbook, BooksSavedWithAPasswordSaySoInsteadOfDamaged)
{
    SourceTestFiles files;
    const QString xls = writeBook(files, QStringLiteral("secret.xls"), Biff8,
                                  record(0x002F, u16(1) + u16(1) + u16(1) + QByteArray(48, '\x5A')),
                                  {{QStringLiteral("Sheet1"), QByteArray(40, '\x33')}});
    // An .xlsx saved with a password is a compound file holding the encrypted package.
    const QString xlsx = files.write(QStringLiteral("secret.xlsx"),
                                     compoundFile({{QStringLiteral("EncryptionInfo"), QByteArray(200, '\x04')},
                                                   {QStringLiteral("EncryptedPackage"), QByteArray(5000, '\x7F')}}));
    for (const QString& path : {xls, xlsx}) {
        try {
            SourceFiles::tableNames(path);
            ADD_FAILURE() << "read: " << path.toStdString();
        } catch (const DbError& error) {
            EXPECT_TRUE(error.description().contains(QStringLiteral("密码"))) << error.description().toStdString();
            EXPECT_FALSE(error.description().contains(QStringLiteral("损坏")));
        }
    }
}

TEST(WrittenWorkbook, AnExcel4SheetIsRefusedForItsVersion)
{
    SourceTestFiles files;
    const QString path = files.write(QStringLiteral("old.xls"), record(0x0409, u16(0x0400) + u16(0x0010) + u16(0))
                                                                    + number(0, 0, 1) + record(0x000A, {}));
    try {
        SourceFiles::tableNames(path);
        ADD_FAILURE() << "an Excel 4.0 sheet was read";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("Excel 4.0 或更早版本"))) << error.description().toStdString();
    }
}
