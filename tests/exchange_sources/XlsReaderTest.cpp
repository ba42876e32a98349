#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/BiffWorkbook.h"
#include "exchange/sources/CompoundFile.h"
#include "exchange/sources/SourceFiles.h"

#include <QFile>
#include <freexl.h>

#include <gtest/gtest.h>

TEST(XlsReader, ProfilesSampleSheetsHeadingsAndValues)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("xlrd_profiles.xls"));
    SKIP_WITHOUT_FIXTURE(path);
    EXPECT_EQ(SourceFiles::readerFor(path).formatName(), QStringLiteral("Excel 97-2003"));
    EXPECT_EQ(SourceFiles::tableNames(path),
              (QStringList{QStringLiteral("PROFILEDEF"), QStringLiteral("AXISDEF"), QStringLiteral("TRAVERSALCHAINAGE"),
                           QStringLiteral("AXISDATUMLEVELS"), QStringLiteral("PROFILELEVELS")}));
    EXPECT_EQ(SourceFiles::sourceTableName(path, QStringLiteral("AXISDEF")), QStringLiteral("AXISDEF$"));

    const auto definitions = SourceFiles::load(path, QStringLiteral("PROFILEDEF"));
    Recordset rows(definitions, QStringLiteral("Select PROFIL, a, l From \"PROFILEDEF$\""));
    EXPECT_EQ(rows.recordCount(), 14);
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("P8.2"));
    EXPECT_EQ(rows.text(1), QStringLiteral("100"));   // a whole number, no ".0"
    EXPECT_EQ(rows.text(2), QStringLiteral("111"));

    // An empty heading cell is named after its column.
    const auto chainage = SourceFiles::load(path, QStringLiteral("TRAVERSALCHAINAGE"));
    EXPECT_EQ(fieldNames(chainage, QStringLiteral("Select * From \"TRAVERSALCHAINAGE$\"")).first(), QStringLiteral("F1"));
    Recordset chain(chainage, QStringLiteral("Select F1, b From \"TRAVERSALCHAINAGE$\""));
    chain.moveFirst();
    EXPECT_EQ(chain.text(0), QStringLiteral("P8.2"));
    EXPECT_NEAR(chain.value(1).toDouble(), 0.20001, 1e-9);

    const auto levels = SourceFiles::load(path, QStringLiteral("PROFILELEVELS"));
    EXPECT_EQ(fieldNames(levels, QStringLiteral("Select * From \"PROFILELEVELS$\"")).value(1), QStringLiteral("Quergefälle"));
    const auto values = rowTexts(levels, QStringLiteral("Select Quergefälle, i1, k2 From \"PROFILELEVELS$\""));
    ASSERT_EQ(values.size(), 14);
    // i1 is a formula: its last result is imported, as the spreadsheet shows it.
    EXPECT_EQ(values[0], (QStringList{QStringLiteral("0.025"), QStringLiteral("265.21206"), QStringLiteral("270.65")}));
}

// FreeXL refuses this OpenOffice file; the program's own reader of the workbook stream reads it.
TEST(XlsReader, OpenOfficeSampleWithAccentedSheetsDatesAndMergedCells)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("xlrd_Formate.xls"));
    SKIP_WITHOUT_FIXTURE(path);
    EXPECT_EQ(SourceFiles::tableNames(path), (QStringList{QStringLiteral("Blätt1"), QStringLiteral("ÖÄÜ"),
                                                          QStringLiteral("Blätt3"), QStringLiteral("Formate")}));
    EXPECT_EQ(SourceFiles::sourceTableName(path, QStringLiteral("Blätt1")), QStringLiteral("Blätt1$"));

    // No heading row: the first row's values name the columns, a date as the program writes dates.
    const auto first = SourceFiles::load(path, QStringLiteral("Blätt1"));
    EXPECT_EQ(fieldNames(first, QStringLiteral("Select * From \"Blätt1$\"")),
              (QStringList{QStringLiteral("Huber"), QStringLiteral("1907/7/3")}));
    const auto rows = rowTexts(first, QStringLiteral("Select * From \"Blätt1$\""));
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("Äcker"), QStringLiteral("2005/2/23")}));
    EXPECT_EQ(rows[2], (QStringList{QStringLiteral("Morgen"), QStringLiteral("06:34:00")}));
    EXPECT_EQ(rows[5], (QStringList{QStringLiteral("gut"), QStringLiteral("0.974")}));

    // A merged area gives its value in its top-left cell only.
    const auto merged = rowTexts(SourceFiles::load(path, QStringLiteral("ÖÄÜ")), QStringLiteral("Select * From \"ÖÄÜ$\""));
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(merged[1], (QStringList{QString(), QString(), QStringLiteral("MERGED CELLS")}));

    Recordset numbers(SourceFiles::load(path, QStringLiteral("Blätt3")), QStringLiteral("Select \"100\" From \"Blätt3$\""));
    ASSERT_EQ(numbers.recordCount(), 11);
    EXPECT_EQ(numbers.field(0).kind, FieldInfo::Kind::Integer);
    numbers.moveLast();
    EXPECT_EQ(numbers.text(0), QStringLiteral("1200"));
}

// The program's own workbook reader, checked against FreeXL on every cell FreeXL reads (it
// leaves formula cells empty, whose results the program's reader gives).
TEST(XlsReader, OwnWorkbookReaderAgreesWithFreeXl)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("xlrd_profiles.xls"));
    SKIP_WITHOUT_FIXTURE(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto compound = CompoundFile::parse(file.readAll());
    ASSERT_TRUE(compound);
    const auto stream = compound->stream(QStringLiteral("Workbook"));
    ASSERT_TRUE(stream);
    const auto workbook = BiffWorkbook::parse(*stream);
    ASSERT_TRUE(workbook);

    const void* handle = nullptr;
    ASSERT_EQ(freexl_open(path.toLocal8Bit().constData(), &handle), FREEXL_OK);
    int compared = 0;
    for (int index = 0; index < workbook->worksheets().size(); ++index) {
        const auto& sheet = workbook->worksheets().at(index);
        const char* name = nullptr;
        freexl_get_worksheet_name(handle, static_cast<unsigned short>(index), &name);
        EXPECT_EQ(sheet.name, QString::fromUtf8(name));
        const auto cells = workbook->cells(sheet);
        ASSERT_TRUE(cells);
        freexl_select_active_worksheet(handle, static_cast<unsigned short>(index));
        unsigned rows = 0;
        unsigned short columns = 0;
        freexl_worksheet_dimensions(handle, &rows, &columns);
        for (unsigned r = 0; r < rows; ++r) {
            for (unsigned c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                freexl_get_cell_value(handle, r, static_cast<unsigned short>(c), &cell);
                const auto row = cells->find(int(r));
                const QVariant own = row == cells->end() ? QVariant() : row->second.count(int(c)) ? row->second.at(int(c)) : QVariant();
                switch (cell.type) {
                case FREEXL_CELL_INT:
                    EXPECT_EQ(own.toLongLong(), cell.value.int_value);
                    ++compared;
                    break;
                case FREEXL_CELL_DOUBLE:
                    EXPECT_DOUBLE_EQ(own.toDouble(), cell.value.double_value);
                    ++compared;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    EXPECT_EQ(own.toString(), QString::fromUtf8(cell.value.text_value));
                    ++compared;
                    break;
                default:
                    break;
                }
            }
        }
    }
    freexl_close(handle);
    EXPECT_GT(compared, 500);
}
