#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/SourceFiles.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

namespace {

// A workbook written by libxlsxwriter: the file a user's spreadsheet program would save.
QString writeTargetsWorkbook(const SourceTestFiles& files, const QString& name, bool inlineStrings)
{
    const QString path = files.path(name);
    lxw_workbook_options options{};
    options.constant_memory = inlineStrings ? LXW_TRUE : LXW_FALSE;
    lxw_workbook* workbook = workbook_new_opt(path.toUtf8().constData(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "客户");
    lxw_format* dateFormat = workbook_add_format(workbook);
    format_set_num_format(dateFormat, "yyyy\"年\"m\"月\"d\"日\"");
    lxw_format* stampFormat = workbook_add_format(workbook);
    format_set_num_format(stampFormat, "yyyy-mm-dd hh:mm");
    lxw_format* moneyFormat = workbook_add_format(workbook);
    format_set_num_format(moneyFormat, "#,##0.00");

    worksheet_write_string(sheet, 0, 0, "营销对象", nullptr);
    worksheet_write_string(sheet, 0, 1, "电话", nullptr);
    // C1 left empty: the column is named after its position.
    worksheet_write_string(sheet, 0, 3, "营销对象", nullptr);
    worksheet_write_string(sheet, 0, 4, "生日", nullptr);
    worksheet_write_string(sheet, 0, 5, "金额", nullptr);
    worksheet_write_string(sheet, 0, 6, "VIP", nullptr);
    worksheet_write_string(sheet, 0, 7, "Seen", nullptr);

    worksheet_write_string(sheet, 1, 0, "张三 & O'Brien <Ltd>", nullptr);
    worksheet_write_number(sheet, 1, 1, 13812345678.0, nullptr);
    worksheet_write_number(sheet, 1, 2, 2.5, nullptr);
    worksheet_write_string(sheet, 1, 3, "Crème brûlée", nullptr);
    lxw_datetime birthday = {1980, 2, 29, 0, 0, 0};
    worksheet_write_datetime(sheet, 1, 4, &birthday, dateFormat);
    worksheet_write_number(sheet, 1, 5, 1234.5, moneyFormat);
    worksheet_write_boolean(sheet, 1, 6, 1, nullptr);
    lxw_datetime seen = {2026, 12, 7, 9, 30, 0};
    worksheet_write_datetime(sheet, 1, 7, &seen, stampFormat);

    // Row 3 is left out by the sheet: an empty row of the table.
    worksheet_write_string(sheet, 3, 0, "李四", nullptr);
    worksheet_write_number(sheet, 3, 5, -7, moneyFormat);
    worksheet_write_boolean(sheet, 3, 6, 0, nullptr);
    // Formatted but empty cells further down are no rows.
    worksheet_write_blank(sheet, 8, 0, moneyFormat);
    worksheet_write_blank(sheet, 9, 2, moneyFormat);

    lxw_worksheet* second = workbook_add_worksheet(workbook, "Sheet 2");
    worksheet_write_string(second, 2, 1, "only", nullptr);
    workbook_add_chartsheet(workbook, "图表");
    workbook_define_name(workbook, "Targets", "=客户!$A$1:$H$4");
    workbook_close(workbook);
    return path;
}

// A package as some exporting programs write it: inline strings and no declared range.
QString writeUndeclaredWorkbook(const SourceTestFiles& files, const QList<QPair<const char*, QByteArray>>& sheets)
{
    QByteArray book = "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    QByteArray relations = "<Relationships>";
    QList<QPair<QByteArray, QByteArray>> parts;
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray number = QByteArray::number(i + 1);
        book += "<sheet name=\"" + QByteArray(sheets[i].first) + "\" sheetId=\"" + number + "\" r:id=\"rId" + number + "\"/>";
        relations += "<Relationship Id=\"rId" + number + "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships/worksheet\" Target=\"worksheets/sheet" + number + ".xml\"/>";
        parts.append({"xl/worksheets/sheet" + number + ".xml", "<worksheet><sheetData>" + sheets[i].second + "</sheetData></worksheet>"});
    }
    parts.append({"xl/workbook.xml", book + "</sheets></workbook>"});
    parts.append({"xl/_rels/workbook.xml.rels", relations + "</Relationships>"});
    const QString path = files.path(QStringLiteral("undeclared.xlsx"));
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, bytes] : parts)
        zip_file_add(archive, name.constData(), zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0), 0);
    zip_close(archive);
    return path;
}

// A workbook of one sheet "表", the worksheet part and the shared strings given whole.
QString writeOneSheetPackage(const SourceTestFiles& files, const QString& name, const QByteArray& worksheet,
                             const QByteArray& sharedStrings = {})
{
    QList<QPair<QByteArray, QByteArray>> parts{
        {"xl/workbook.xml", "<workbook xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                            "<sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                                       "officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", worksheet}};
    if (!sharedStrings.isEmpty())
        parts.append({"xl/sharedStrings.xml", sharedStrings});
    const QString path = files.path(name);
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [part, bytes] : parts)
        zip_file_add(archive, part.constData(), zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0), 0);
    zip_close(archive);
    return path;
}

QByteArray cell(const char* reference, const char* text)
{
    return QByteArray("<c r=\"") + reference + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

} // namespace

TEST(XlsxReader, SheetWithoutDeclaredRangeIsAsWideAsItsValues)
{
    SourceTestFiles files;
    const QByteArray heading = "<row r=\"1\">" + cell("B1", "名称") + cell("C1", "&#30005;&#35805;") + "</row>";
    const QByteArray fitting = "<row r=\"2\">" + cell("B2", "甲") + "<c r=\"C2\"><v>1</v></c></row>";
    // A value left of the heading and one beyond it: the table spans A to D.
    const QByteArray wider = "<row r=\"3\">" + cell("A3", "左") + cell("D3", "右") + "</row>";
    const QString path = writeUndeclaredWorkbook(files, {{"窄", heading + fitting}, {"宽", heading + fitting + wider}});

    const auto narrow = SourceFiles::load(path, QStringLiteral("窄"));
    EXPECT_EQ(fieldNames(narrow, QStringLiteral("Select * From \"窄$\"")), (QStringList{QStringLiteral("名称"), QStringLiteral("电话")}));
    EXPECT_EQ(rowTexts(narrow, QStringLiteral("Select * From \"窄$\"")), (QList<QStringList>{{QStringLiteral("甲"), QStringLiteral("1")}}));

    const auto wide = SourceFiles::load(path, QStringLiteral("宽"));
    EXPECT_EQ(fieldNames(wide, QStringLiteral("Select * From \"宽$\"")),
              (QStringList{QStringLiteral("F1"), QStringLiteral("名称"), QStringLiteral("电话"), QStringLiteral("F4")}));
    EXPECT_EQ(rowTexts(wide, QStringLiteral("Select * From \"宽$\"")),
              (QList<QStringList>{{QString(), QStringLiteral("甲"), QStringLiteral("1"), QString()},
                                  {QStringLiteral("左"), QString(), QString(), QStringLiteral("右")}}));
}

TEST(XlsxReader, ChineseSampleWorkbook)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("easyexcel_demo_cn.xlsx"));
    SKIP_WITHOUT_FIXTURE(path);
    EXPECT_EQ(SourceFiles::readerFor(path).formatName(), QStringLiteral("Excel 2007"));
    EXPECT_EQ(SourceFiles::tableNames(path), (QStringList{QStringLiteral("Sheet1"), QStringLiteral("Sheet2")}));
    EXPECT_EQ(SourceFiles::sourceTableName(path, QStringLiteral("Sheet1")), QStringLiteral("Sheet1$"));
    const auto connection = SourceFiles::load(path, QStringLiteral("Sheet1"));
    ASSERT_TRUE(connection);
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From \"Sheet1$\"")),
              (QStringList{QStringLiteral("字符串标题"), QStringLiteral("日期标题"), QStringLiteral("数字标题")}));
    Recordset rows(connection, QStringLiteral("Select 字符串标题, 日期标题, 数字标题 From \"Sheet1$\""));
    ASSERT_EQ(rows.recordCount(), 10);
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("字符串0"));
    EXPECT_EQ(rows.value(1).toDateTime(), QDateTime(QDate(2020, 1, 1), QTime(1, 1, 1)));
    EXPECT_EQ(rows.text(2), QStringLiteral("1"));
    rows.moveLast();
    EXPECT_EQ(rows.text(0), QStringLiteral("字符串9"));
    EXPECT_EQ(rows.text(2), QStringLiteral("10"));

    const auto second = SourceFiles::load(path, QStringLiteral("Sheet2"));
    EXPECT_EQ(rowTexts(second, QStringLiteral("Select * From \"Sheet2$\"")).value(0).value(0), QStringLiteral("表2字符串0"));
}

class XlsxWritten : public ::testing::TestWithParam<bool> {};

TEST_P(XlsxWritten, ValuesHeadingsAndRowsAsTheUserSeesThem)
{
    SourceTestFiles files;
    const QString path = writeTargetsWorkbook(files, QStringLiteral("targets.xlsx"), GetParam());
    // Worksheets only: the chart sheet and the defined name are no tables.
    EXPECT_EQ(SourceFiles::tableNames(path), (QStringList{QStringLiteral("客户"), QStringLiteral("Sheet 2")}));
    const auto connection = SourceFiles::load(path, QStringLiteral("客户"));
    ASSERT_TRUE(connection);
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From \"客户$\"")).join(QLatin1Char('|')),
              QStringLiteral("营销对象|电话|F3|营销对象1|生日|金额|VIP|Seen"));
    Recordset rows(connection, QStringLiteral("Select * From \"客户$\""));
    ASSERT_EQ(rows.recordCount(), 3);
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("张三 & O'Brien <Ltd>"));
    EXPECT_EQ(rows.text(1), QStringLiteral("13812345678"));
    EXPECT_EQ(rows.text(2), QStringLiteral("2.5"));
    EXPECT_EQ(rows.text(3), QStringLiteral("Crème brûlée"));
    EXPECT_EQ(rows.value(4).toDate(), QDate(1980, 2, 29));
    EXPECT_DOUBLE_EQ(rows.value(5).toDouble(), 1234.5);
    EXPECT_EQ(rows.text(6), QStringLiteral("True"));
    EXPECT_EQ(rows.value(7).toDateTime(), QDateTime(QDate(2026, 12, 7), QTime(9, 30)));
    rows.moveNext();
    for (int c = 0; c < rows.fieldCount(); ++c)
        EXPECT_TRUE(rows.value(c).isNull()) << c;
    rows.moveNext();
    EXPECT_EQ(rows.text(0), QStringLiteral("李四"));
    EXPECT_DOUBLE_EQ(rows.value(5).toDouble(), -7);
    EXPECT_EQ(rows.text(6), QStringLiteral("False"));

    // A sheet whose values start at B3 has its heading there.
    const auto second = SourceFiles::load(path, QStringLiteral("Sheet 2"));
    EXPECT_EQ(fieldNames(second, QStringLiteral("Select * From \"Sheet 2$\"")), QStringList{QStringLiteral("only")});
    EXPECT_TRUE(rowTexts(second, QStringLiteral("Select * From \"Sheet 2$\"")).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(SharedAndInlineStrings, XlsxWritten, ::testing::Bool());

TEST(XlsxReader, UnknownSheetAndCancelledLoad)
{
    SourceTestFiles files;
    const QString path = files.path(QStringLiteral("long.xlsx"));
    lxw_workbook* workbook = workbook_new(path.toUtf8().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    worksheet_write_string(sheet, 0, 0, "n", nullptr);
    for (int r = 1; r <= 3000; ++r)
        worksheet_write_number(sheet, lxw_row_t(r), 0, r, nullptr);
    workbook_close(workbook);

    EXPECT_THROW(SourceFiles::load(path, QStringLiteral("Sheet9")), DbError);
    EXPECT_EQ(SourceFiles::load(path, QStringLiteral("Sheet1"), [](qint64 rows) { return rows < 1000; }), nullptr);
    const auto connection = SourceFiles::load(path, QStringLiteral("Sheet1"));
    EXPECT_EQ(Recordset(connection, QStringLiteral("Select n From \"Sheet1$\"")).recordCount(), 3000);
}

TEST(XlsxReader, DurationCellsLoadAsTheTextTheyShow)
{
    SourceTestFiles files;
    const QString path = files.path(QStringLiteral("durations.xlsx"));
    lxw_workbook* workbook = workbook_new(path.toUtf8().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "通话");
    lxw_format* hours = workbook_add_format(workbook);
    format_set_num_format(hours, "[h]:mm:ss");
    lxw_format* minutes = workbook_add_format(workbook);
    format_set_num_format(minutes, "[mm]:ss");
    lxw_format* clock = workbook_add_format(workbook);
    format_set_num_format(clock, "hh:mm:ss");
    worksheet_write_string(sheet, 0, 0, "时长", nullptr);
    worksheet_write_string(sheet, 0, 1, "分钟", nullptr);
    worksheet_write_string(sheet, 0, 2, "时刻", nullptr);
    const double duration = (250 * 3600 + 10 * 60 + 10) / 86400.0;
    worksheet_write_number(sheet, 1, 0, duration, hours);
    worksheet_write_number(sheet, 1, 1, (75 * 60 + 5) / 86400.0, minutes);
    worksheet_write_number(sheet, 1, 2, (15 * 3600 + 10 * 60 + 10) / 86400.0, clock);
    workbook_close(workbook);

    EXPECT_EQ(rowTexts(SourceFiles::load(path, QStringLiteral("通话")), QStringLiteral("Select * From \"通话$\"")),
              (QList<QStringList>{{QStringLiteral("250:10:10"), QStringLiteral("75:05"), QStringLiteral("15:10:10")}}));
}

TEST(XlsxReader, ARangeDeclaredOverEveryColumnIsOnlyAHint)
{
    SourceTestFiles files;
    // As WPS writes it: every column declared, twelve used.
    QByteArray heading = "<row r=\"1\">";
    QByteArray values = "<row r=\"2\">";
    QStringList names;
    for (int c = 0; c < 12; ++c) {
        const QByteArray column(1, char('A' + c));
        heading += "<c r=\"" + column + "1\" t=\"inlineStr\"><is><t>列" + QByteArray::number(c + 1) + "</t></is></c>";
        values += "<c r=\"" + column + "2\"><v>" + QByteArray::number(c) + "</v></c>";
        names << QStringLiteral("列%1").arg(c + 1);
    }
    const QString wps = writeOneSheetPackage(files, QStringLiteral("wps.xlsx"),
                                             "<worksheet><dimension ref=\"A1:XFD2\"/><sheetData>" + heading + "</row>" + values
                                                 + "</row></sheetData></worksheet>");
    const auto connection = SourceFiles::load(wps, QStringLiteral("表"));
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From \"表$\"")), names);
    EXPECT_EQ(rowTexts(connection, QStringLiteral("Select * From \"表$\"")).value(0).value(11), QStringLiteral("11"));

    // A sheet that really has more columns than a table can take says so.
    QByteArray wide = "<row r=\"1\">";
    for (int c = 0; c < 2001; ++c)
        wide += "<c t=\"inlineStr\"><is><t>c" + QByteArray::number(c) + "</t></is></c>";
    const QString tooWide = writeOneSheetPackage(files, QStringLiteral("wide.xlsx"),
                                                 "<worksheet><dimension ref=\"A1:XFD1\"/><sheetData>" + wide + "</row></sheetData></worksheet>");
    try {
        SourceFiles::load(tooWide, QStringLiteral("表"));
        ADD_FAILURE() << "a sheet of 2,001 columns was taken";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(tooWide));
        EXPECT_TRUE(error.description().contains(QStringLiteral("2001 列"))) << error.description().toStdString();
    }
}

TEST(XlsxReader, CellShapesOfOtherWritersReadAsTheirValues)
{
    SourceTestFiles files;
    const QByteArray shared = "<sst><si><t>名称</t></si><si><t>备注</t></si><si><t>上行\r\n下行</t></si></sst>";
    const QByteArray sheet =
        "<worksheet><sheetData>"
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c></row>"
        // An empty shared-string cell is an empty cell.
        "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>甲</t></is></c><c r=\"B2\" t=\"s\"><v/></c></row>"
        // An inline string that also carries a <v>: the string is the value.
        "<row r=\"3\"><c r=\"A3\" t=\"inlineStr\"><v>1.0</v><is><t>1.</t></is></c><c r=\"B3\" t=\"s\"><v>2</v></c></row>"
        // CR LF written into the file becomes LF, as XML reads it; a CR given as &#13; stays.
        "<row r=\"4\"><c r=\"A4\" t=\"inlineStr\"><is><t>左\r\n右</t></is></c>"
        "<c r=\"B4\" t=\"inlineStr\"><is><t>前&#13;后</t></is></c></row>"
        "</sheetData></worksheet>";
    const QString path = writeOneSheetPackage(files, QStringLiteral("shapes.xlsx"), sheet, shared);
    EXPECT_EQ(rowTexts(SourceFiles::load(path, QStringLiteral("表")), QStringLiteral("Select * From \"表$\"")),
              (QList<QStringList>{{QStringLiteral("甲"), QString()},
                                  {QStringLiteral("1."), QStringLiteral("上行\n下行")},
                                  {QStringLiteral("左\n右"), QStringLiteral("前\r后")}}));
}

TEST(XlsxReader, AFileNamedAsAWorkbookThatIsNoneIsRefused)
{
    SourceTestFiles files;
    const QString text = files.write(QStringLiteral("名单.xlsx"), QByteArray("公司,电话\n北京甲公司,010-1111\n"));
    try {
        SourceFiles::tableNames(text);
        ADD_FAILURE() << "a text file named .xlsx was read";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(text));
        EXPECT_TRUE(error.description().contains(QStringLiteral("不是Excel文件"))) << error.description().toStdString();
    }
    EXPECT_THROW(SourceFiles::load(text, QStringLiteral("名单")), DbError);
}
