// The export writers: what each kind of file holds afterwards, read back with the file
// format's own libraries (shapelib for dBase), and what a refused or failed export leaves
// behind.
#include "support/XlsxTestReader.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/Statement.h"
#include "exchange/destinations/DbaseFieldNames.h"
#include "exchange/destinations/DbaseText.h"
#include "exchange/destinations/DbaseWriter.h"
#include "exchange/destinations/ExportWriters.h"
#include "exchange/destinations/SheetNames.h"
#include "exchange/destinations/SourceRows.h"
#include "support/TempAppFolder.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>
#include <shapefil.h>
#include <xlsxwriter.h>

namespace {

const QString Targets = QStringLiteral("clientTableInfo");

void insertTargets(Connection& db)
{
    db.execute(QStringLiteral(
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 电话2, \"Email\", 联系人1, 地址, 邮政编码, 电话数, 产品1计数, 反馈合计, 记录号) VALUES "
        "('P1', '北京华信科技有限公司', '010-62345678', NULL, 'wang@hx.cn', '王经理', '北京市海淀区中关村大街1号', '100080', 2, 1, 2, ''), "
        "('P1', 'O''Brien 贸易公司', '', '', '', '', '', '', 0, 0, 0, '7'), "
        "('P2', '天津宏达贸易公司', '022-23456789', '', '', '李女士', '天津市和平区南京路88号', '300041', 5, 0, 5, '8')"));
}

QString gbk(const char* bytes)
{
    QStringDecoder decoder("GBK");
    return decoder.decode(QByteArray(bytes));
}

int mainRows(Connection& db)
{
    return Recordset(db.shared_from_this(), QStringLiteral("Select * From \"clientTableInfo\"")).recordCount();
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class DestinationsTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    Connection& db = *folder.connection();
    QString exportDb = folder.filePath(Schema::ExportDatabaseName);

    void SetUp() override { insertTargets(db); }

    ExportResult exportTo(ExportKind kind, const QString& path, const QString& name,
                          const ExportRows& rows = ExportRows::allTargets(true), const ExportProgress& progress = {})
    {
        return ExportWriters::write(db, ExportJob{kind, path, name, rows}, progress);
    }
    ExportResult toDatabase(const QString& table, const ExportRows& rows = ExportRows::allTargets(true))
    {
        return exportTo(ExportKind::ExportDatabase, exportDb, table, rows);
    }
    QString outFolder()
    {
        const QString out = folder.filePath(QStringLiteral("out"));
        QDir().mkpath(out);
        return out;
    }
};

TEST_F(DestinationsTest, ExportDatabaseGetsANewTableWithTheSameRows)
{
    const ExportResult result = toDatabase(QStringLiteral("客户 2026"));
    EXPECT_EQ(result.rows, 3);
    EXPECT_EQ(result.file, exportDb);
    auto exported = Connection::open(exportDb);
    Recordset rows(exported, QStringLiteral("Select * From \"客户 2026\""));
    ASSERT_EQ(rows.recordCount(), 3);
    EXPECT_EQ(rows.fieldCount(), 23);
    EXPECT_EQ(rows.field(1).name, QStringLiteral("营销对象"));
    EXPECT_EQ(rows.field(1).declaredSize, 100);
    rows.setAbsolutePosition(2);
    EXPECT_EQ(rows.text(QStringLiteral("营销对象")), QStringLiteral("O'Brien 贸易公司"));
    rows.setAbsolutePosition(1);
    EXPECT_TRUE(rows.value(QStringLiteral("电话2")).isNull());
    EXPECT_EQ(rows.value(QStringLiteral("反馈合计")).toLongLong(), 2);
    EXPECT_EQ(rows.value(QStringLiteral("反馈合计")).typeId(), QMetaType::LongLong);
    // The row selection is the statement's.
    toDatabase(QStringLiteral("有反馈"), ExportRows::allTargets(false));
    EXPECT_EQ(Recordset(Connection::open(exportDb), QStringLiteral("Select * From 有反馈")).recordCount(), 2);
    // A plan's responders; a name that is no SQL whatever it holds.
    toDatabase(QStringLiteral("P1 \"x\" 'y'"), ExportRows::planResponders(QStringLiteral("P1")));
    EXPECT_EQ(Recordset(Connection::open(exportDb), QStringLiteral("Select * From \"P1 \"\"x\"\" 'y'\" Where 序号 = 'P1'")).recordCount(), 1);
}

TEST_F(DestinationsTest, ExportDatabaseRefusesATakenOrEmptyNameAndIsCreatedWhenMissing)
{
    toDatabase(QStringLiteral("Targets"));
    EXPECT_THROW(toDatabase(QStringLiteral("TARGETS")), DbError);
    EXPECT_THROW(toDatabase(QString()), DbError);
    EXPECT_EQ(Connection::open(exportDb)->tables().size(), 1);

    QFile::remove(exportDb);
    toDatabase(QStringLiteral("Targets"));
    EXPECT_EQ(Recordset(Connection::open(exportDb), QStringLiteral("Select * From Targets")).recordCount(), 3);
}

TEST_F(DestinationsTest, DbaseTableHoldsTheRowsInCodePage936)
{
    const QString out = outFolder();
    EXPECT_EQ(exportTo(ExportKind::Dbase, out + QLatin1Char('/'), QStringLiteral("out.DBF")).rows, 3);
    EXPECT_EQ(folderEntries(out), QStringList({QStringLiteral("out.DBF"), QStringLiteral("out.cpg")}));

    QFile raw(QDir(out).filePath(QStringLiteral("out.DBF")));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray header = raw.read(32);
    EXPECT_EQ(quint8(header[0]), 0x03);   // dBase III without memo
    EXPECT_EQ(quint8(header[29]), DbaseWriter::LanguageDriverGbk);
    QFile cpg(QDir(out).filePath(QStringLiteral("out.cpg")));
    ASSERT_TRUE(cpg.open(QIODevice::ReadOnly));
    EXPECT_EQ(cpg.readAll(), QByteArray("936"));

    DBFHandle dbf = DBFOpen(QFile::encodeName(raw.fileName()).constData(), "rb");
    ASSERT_TRUE(dbf);
    EXPECT_EQ(DBFGetRecordCount(dbf), 3);
    ASSERT_EQ(DBFGetFieldCount(dbf), 23);
    char name[XBASE_FLDNAME_LEN_READ + 1];
    int width = 0;
    int decimals = 0;
    DBFGetFieldInfo(dbf, 1, name, &width, &decimals);
    EXPECT_EQ(gbk(name), QStringLiteral("营销对象"));
    EXPECT_EQ(width, 200);
    EXPECT_EQ(DBFGetNativeFieldType(dbf, 1), 'C');
    const int total = DBFGetFieldIndex(dbf, DbaseFieldNames::encode(QStringLiteral("反馈合计")).constData());
    ASSERT_GE(total, 0);
    EXPECT_EQ(DBFGetNativeFieldType(dbf, total), 'N');
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 0, 1)).trimmed(), QStringLiteral("北京华信科技有限公司"));
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 1, 1)).trimmed(), QStringLiteral("O'Brien 贸易公司"));
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 2, 8)).trimmed(), QStringLiteral("天津市和平区南京路88号"));
    EXPECT_EQ(DBFReadIntegerAttribute(dbf, 0, total), 2);
    EXPECT_EQ(DBFReadIntegerAttribute(dbf, 2, total), 5);
    EXPECT_TRUE(DBFIsAttributeNULL(dbf, 0, 3));
    DBFClose(dbf);
}

TEST_F(DestinationsTest, DbaseNeverOverwritesAndAddsTheExtensionWhenNoneIsTyped)
{
    const QString out = outFolder();
    QFile existing(QDir(out).filePath(QStringLiteral("old.dbf")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    // A .cpg left without its table (the user deleted the table) is no reason to refuse.
    QFile stray(QDir(out).filePath(QStringLiteral("客户.cpg")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write("1252");
    stray.close();
    try {
        exportTo(ExportKind::Dbase, out, QStringLiteral("old.dbf"));
        ADD_FAILURE() << "an existing table was overwritten";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("已存在"))) << error.description().toStdString();
    }
    EXPECT_EQ(exportTo(ExportKind::Dbase, out, QStringLiteral("客户")).file, QDir(out).filePath(QStringLiteral("客户.dbf")));
    EXPECT_EQ(folderEntries(out), QStringList({QStringLiteral("old.dbf"), QStringLiteral("客户.cpg"), QStringLiteral("客户.dbf")}));
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    EXPECT_EQ(existing.readAll(), QByteArray("keep me"));
    ASSERT_TRUE(stray.open(QIODevice::ReadOnly));
    EXPECT_EQ(stray.readAll(), QByteArray("936"));
}

TEST(DbaseFieldNamesTest, EveryTargetFieldFitsAndLongNamesAreCutPredictably)
{
    TempAppFolder folder;
    QStringList names;
    for (const FieldInfo& field : folder.connection()->fields(QStringLiteral("clientTableInfo")))
        names << field.name;
    const QList<QByteArray> fitted = DbaseFieldNames::fitted(names);
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(fitted[i], DbaseFieldNames::encode(names[i])) << names[i].toStdString();

    const QList<QByteArray> cut = DbaseFieldNames::fitted(
        {QStringLiteral("反馈合计（当日）"), QStringLiteral("反馈合计（至今日）"), QStringLiteral("Description"), QStringLiteral("DESCRIPTIO")});
    EXPECT_EQ(cut[0], DbaseFieldNames::encode(QStringLiteral("反馈合计（")));
    EXPECT_EQ(cut[1], DbaseFieldNames::encode(QStringLiteral("反馈合计~2")));
    EXPECT_EQ(cut[2], QByteArray("Descriptio"));
    EXPECT_EQ(cut[3], QByteArray("DESCRIPT~2"));
}

TEST(SheetNamesTest, NamesExcelRefuses)
{
    EXPECT_TRUE(SheetNames::problem(QStringLiteral("客户")).isEmpty());
    for (const QString& bad : {QString(), QStringLiteral("  "), QStringLiteral("a/b"), QStringLiteral("a[1]"),
                               QStringLiteral("'x'"), QStringLiteral("history"), QString(32, QLatin1Char('x'))})
        EXPECT_FALSE(SheetNames::problem(bad).isEmpty()) << bad.toStdString();
    EXPECT_FALSE(SheetNames::problem(QStringLiteral("sheet1"), {QStringLiteral("Sheet1")}).isEmpty());
}

TEST_F(DestinationsTest, NewWorkbookHoldsTheRowsUnderTheFieldNames)
{
    const QString chosen = folder.filePath(QStringLiteral("客户.xls"));
    const QString written = folder.filePath(QStringLiteral("客户.xlsx"));
    const ExportResult result = exportTo(ExportKind::Excel, chosen, QStringLiteral("全部客户"));
    EXPECT_EQ(result.rows, 3);
    EXPECT_EQ(result.file, written);
    ASSERT_TRUE(QFile::exists(written));
    EXPECT_FALSE(QFile::exists(chosen));
    EXPECT_EQ(XlsxTestReader::sheetNames(written), QStringList{QStringLiteral("全部客户")});
    const QList<QStringList> rows = XlsxTestReader::sheetRows(written, QStringLiteral("全部客户"));
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].value(1), QStringLiteral("营销对象"));
    EXPECT_EQ(rows[0].value(22), QStringLiteral("记录号"));
    EXPECT_EQ(rows[2].value(1), QStringLiteral("O'Brien 贸易公司"));
    EXPECT_EQ(rows[3].value(21), QStringLiteral("5"));
    EXPECT_EQ(rows[1].value(3), QString());
}

TEST_F(DestinationsTest, RefusedSheetNamesWriteNoWorkbook)
{
    for (const QString& bad : {QString(), QStringLiteral(" "), QStringLiteral("a:b"), QStringLiteral("History")})
        EXPECT_THROW(exportTo(ExportKind::Excel, folder.filePath(QStringLiteral("x.xlsx")), bad), DbError);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("x.xlsx"))));
}

// A workbook as a user keeps it: a sheet with a formula, a sheet with a bold cell.
void writeTwoSheetWorkbook(const QString& path)
{
    lxw_workbook* workbook = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* first = workbook_add_worksheet(workbook, "预算");
    worksheet_write_number(first, 0, 0, 12, nullptr);
    worksheet_write_number(first, 1, 0, 30, nullptr);
    worksheet_write_formula(first, 2, 0, "=SUM(A1:A2)", nullptr);
    lxw_worksheet* second = workbook_add_worksheet(workbook, "Notes");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    worksheet_write_string(second, 0, 0, "重要客户", bold);
    worksheet_write_string(second, 1, 0, "plain", nullptr);
    ASSERT_EQ(workbook_close(workbook), LXW_NO_ERROR);
}

TEST_F(DestinationsTest, ExistingWorkbookGetsASheetAndKeepsEveryOtherPartByteForByte)
{
    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    writeTwoSheetWorkbook(path);
    QHash<QString, QByteArray> before;
    for (const QString& name : XlsxTestReader::entryNames(path))
        before.insert(name, XlsxTestReader::entry(path, name));

    EXPECT_EQ(exportTo(ExportKind::Excel, path, QStringLiteral("有反馈"), ExportRows::allTargets(false)).rows, 2);

    EXPECT_EQ(XlsxTestReader::sheetNames(path),
              QStringList({QStringLiteral("预算"), QStringLiteral("Notes"), QStringLiteral("有反馈")}));
    const QSet<QString> edited = {QStringLiteral("[Content_Types].xml"), QStringLiteral("xl/workbook.xml"),
                                  QStringLiteral("xl/_rels/workbook.xml.rels")};
    for (auto it = before.constBegin(); it != before.constEnd(); ++it)
        if (!edited.contains(it.key()))
            EXPECT_EQ(XlsxTestReader::entry(path, it.key()), it.value()) << it.key().toStdString();
    EXPECT_TRUE(before.value(QStringLiteral("xl/worksheets/sheet1.xml")).contains("SUM(A1:A2)"));
    EXPECT_EQ(XlsxTestReader::entryNames(path).size(), before.size() + 1);
    EXPECT_TRUE(XlsxTestReader::entry(path, QStringLiteral("[Content_Types].xml")).contains("/xl/worksheets/sheet3.xml"));

    const QList<QStringList> rows = XlsxTestReader::sheetRows(path, QStringLiteral("有反馈"));
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[1].value(1), QStringLiteral("北京华信科技有限公司"));
    EXPECT_EQ(rows[2].value(21), QStringLiteral("5"));
    EXPECT_EQ(XlsxTestReader::sheetRows(path, QStringLiteral("Notes")).value(0).value(0), QStringLiteral("重要客户"));
}

TEST_F(DestinationsTest, ATakenSheetNameOrAFileThatIsNoWorkbookLeavesTheFileAsItWas)
{
    const QString path = folder.filePath(QStringLiteral("book.xlsx"));
    writeTwoSheetWorkbook(path);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    EXPECT_THROW(exportTo(ExportKind::Excel, path, QStringLiteral("notes")), DbError);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
    file.close();

    const QString text = folder.filePath(QStringLiteral("notes.xlsx"));
    QFile notWorkbook(text);
    ASSERT_TRUE(notWorkbook.open(QIODevice::WriteOnly));
    notWorkbook.write("not a zip");
    notWorkbook.close();
    EXPECT_THROW(exportTo(ExportKind::Excel, text, QStringLiteral("客户")), DbError);
    ASSERT_TRUE(notWorkbook.open(QIODevice::ReadOnly));
    EXPECT_EQ(notWorkbook.readAll(), QByteArray("not a zip"));
}


TEST(DbaseTextTest, CharactersOutsideGbkBecomeQuestionMarksAndCutsKeepWholeCharacters)
{
    // Code page 936 has the euro sign (0x80) and the pinyin letters; not the others.
    const DbaseText::Encoded mixed = DbaseText::encode(QStringLiteral("中é€😀𪚥ßñ한A"));
    EXPECT_EQ(mixed.bytes, QStringEncoder("GBK").encode(QStringLiteral("中é€")) + QByteArray("?????A"));
    EXPECT_EQ(mixed.bytes.mid(4, 1), QByteArray("\x80"));
    EXPECT_TRUE(mixed.replaced);
    EXPECT_FALSE(mixed.shortened);

    const DbaseText::Encoded cut = DbaseText::encode(QStringLiteral("a中文字"), 4);   // 1 + 2 + 2 bytes
    EXPECT_EQ(cut.bytes, QByteArray("a") + QStringEncoder("GBK").encode(QStringLiteral("中")));
    EXPECT_TRUE(cut.shortened);
    EXPECT_FALSE(cut.replaced);
    EXPECT_FALSE(DbaseText::encode(QStringLiteral("公司"), 4).shortened);
}

TEST_F(DestinationsTest, DbaseTextsAreCutOrReplacedAndCounted)
{
    const QString tooLong = QStringLiteral("a") + QString(110, QChar(0x8425));   // 营: 221 bytes for 200
    db.execute(QStringLiteral("DELETE FROM \"clientTableInfo\""));
    db.execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 地址) VALUES "
                              "('P1', 'Straße 😀 公司', '北京'), ('P1', '天津', '%1'), ('P1', '😀', '%1'), ('P1', '上海', '')")
                   .arg(tooLong));
    const QString out = outFolder();
    const ExportResult result = exportTo(ExportKind::Dbase, out, QStringLiteral("t"));
    EXPECT_EQ(result.rows, 4);
    EXPECT_EQ(result.valuesChanged, 4);   // one replaced, two cut, one replaced

    DBFHandle dbf = DBFOpen(QFile::encodeName(QDir(out).filePath(QStringLiteral("t.dbf"))).constData(), "rb");
    ASSERT_TRUE(dbf);
    const int name = DBFGetFieldIndex(dbf, DbaseFieldNames::encode(QStringLiteral("营销对象")).constData());
    const int address = DBFGetFieldIndex(dbf, DbaseFieldNames::encode(QStringLiteral("地址")).constData());
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 0, name)).trimmed(), QStringLiteral("Stra?e ? 公司"));
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 1, address)).trimmed(), tooLong.left(100));
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 2, name)).trimmed(), QStringLiteral("?"));
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, 3, name)).trimmed(), QStringLiteral("上海"));
    DBFClose(dbf);
}

TEST_F(DestinationsTest, WorkbookTextsKeepMarkupCharactersAndBlanks)
{
    Statement update(db, QStringLiteral("UPDATE \"clientTableInfo\" SET 营销对象 = ?1, 地址 = ?2, 电话数 = -3 WHERE 序号 = 'P2'"));
    update.bind(1, QStringLiteral(" <甲&乙> "));
    update.bind(2, QStringLiteral("a\x01" "b\nc"));
    update.step();
    const QString book = folder.filePath(QStringLiteral("book.xlsx"));
    exportTo(ExportKind::Excel, book, QStringLiteral("t"), ExportRows::planResponders(QStringLiteral("P2")));
    const QList<QStringList> rows = XlsxTestReader::sheetRows(book, QStringLiteral("t"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].value(1), QStringLiteral(" <甲&乙> "));
    EXPECT_EQ(rows[1].value(8), QStringLiteral("ab\nc"));   // XML has no place for the control character
    EXPECT_EQ(rows[1].value(10), QStringLiteral("-3"));
}

TEST_F(DestinationsTest, ANumberTooWideForItsDbaseFieldFailsTheExportSayingWhere)
{
    db.execute(QStringLiteral("UPDATE \"clientTableInfo\" SET 反馈合计 = 123456789012 WHERE 序号 = 'P2'"));
    const QString out = outFolder();
    try {
        exportTo(ExportKind::Dbase, out, QStringLiteral("t"));
        ADD_FAILURE() << "a number was cut";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("第 3 行字段“反馈合计”的值放不进 dBase 字段（宽 11）。"));
    }
    EXPECT_TRUE(folderEntries(out).isEmpty());
}

} // namespace

namespace {

// More targets than a server sends in one page, every third with feedback: each kind of
// file gets every chosen row once, in the order the rows were added.
TEST_F(DestinationsTest, ManyRowsArriveOnceEachInTheOrderTheyWereAdded)
{
    db.execute(QStringLiteral("DELETE FROM \"clientTableInfo\""));
    const int targets = 3 * SourceRows::ServerPageRows + 10;
    db.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                              "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) SELECT 'P1', '客户' || i, CASE WHEN i % 3 = 0 THEN 1 ELSE 0 END FROM n")
                   .arg(targets));
    const int chosen = targets / 3;
    const ExportRows responders = ExportRows::planResponders(QStringLiteral("P1"));
    EXPECT_EQ(SourceRows::count(db, responders), chosen);

    EXPECT_EQ(toDatabase(QStringLiteral("t"), responders).rows, chosen);
    Recordset exported(Connection::open(exportDb), QStringLiteral("Select * From t"));
    ASSERT_EQ(exported.recordCount(), chosen);
    for (int row : {1, SourceRows::ServerPageRows, SourceRows::ServerPageRows + 1, chosen}) {
        exported.setAbsolutePosition(row);
        EXPECT_EQ(exported.text(QStringLiteral("营销对象")), QStringLiteral("客户%1").arg(3 * row));
    }

    const QString out = outFolder();
    EXPECT_EQ(exportTo(ExportKind::Dbase, out, QStringLiteral("t"), responders).rows, chosen);
    DBFHandle dbf = DBFOpen(QFile::encodeName(QDir(out).filePath(QStringLiteral("t.dbf"))).constData(), "rb");
    ASSERT_TRUE(dbf);
    EXPECT_EQ(DBFGetRecordCount(dbf), chosen);
    EXPECT_EQ(gbk(DBFReadStringAttribute(dbf, chosen - 1, 1)).trimmed(), QStringLiteral("客户%1").arg(3 * chosen));
    DBFClose(dbf);

    const QString book = QDir(out).filePath(QStringLiteral("t.xlsx"));
    EXPECT_EQ(exportTo(ExportKind::Excel, book, QStringLiteral("t"), responders).rows, chosen);
    const QList<QStringList> sheet = XlsxTestReader::sheetRows(book, QStringLiteral("t"));
    ASSERT_EQ(sheet.size(), chosen + 1);
    EXPECT_EQ(sheet[SourceRows::ServerPageRows + 1].value(1), QStringLiteral("客户%1").arg(3 * (SourceRows::ServerPageRows + 1)));
    EXPECT_EQ(sheet.last().value(1), QStringLiteral("客户%1").arg(3 * chosen));
}

// A database file that may not be changed still exports to the export database: nothing
// is written to it.
TEST_F(DestinationsTest, AReadOnlyDatabaseFileExportsToTheExportDatabase)
{
    if (db.isServer())
        GTEST_SKIP() << "a file's rights";
    const auto readOnly = Connection::openReadOnly(folder.databasePath());
    ASSERT_TRUE(readOnly->isReadOnly());
    EXPECT_EQ(ExportWriters::write(*readOnly, ExportJob{ExportKind::ExportDatabase, exportDb, QStringLiteral("t"),
                                                        ExportRows::allTargets(false)}).rows, 2);
    Recordset exported(Connection::open(exportDb), QStringLiteral("Select * From t"));
    ASSERT_EQ(exported.recordCount(), 2);
    exported.setAbsolutePosition(2);
    EXPECT_EQ(exported.text(QStringLiteral("营销对象")), QStringLiteral("天津宏达贸易公司"));
    EXPECT_EQ(exported.value(QStringLiteral("反馈合计")).toLongLong(), 5);
}

} // namespace

namespace {

// The same targets in the server's database and in a database file: every kind of export
// writes the same values in the same order from either.
TEST_F(DestinationsTest, AServerDatabaseExportsWhatADatabaseFileExports)
{
    if (!db.isServer())
        GTEST_SKIP() << "compares a server's exports with a file's";
    const auto file = Connection::open(folder.databasePath());
    insertTargets(*file);
    for (Connection* database : {&db, file.get()}) {
        Statement odd(*database, QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 地址, 电话数, 反馈合计, 记录号) "
                                                "VALUES ('P1', ?1, '007', ?2, NULL, -4, '')"));
        odd.bind(1, QStringLiteral(" 甲\"乙\" 😀 "));
        odd.bind(2, QStringLiteral("a<b>&c\nd"));
        odd.step();
    }
    const QString out = outFolder();
    const auto exportFrom = [&](Connection& database, const QString& name) {
        for (const ExportKind kind : {ExportKind::ExportDatabase, ExportKind::Dbase, ExportKind::Excel}) {
            const QString path = kind == ExportKind::ExportDatabase ? exportDb
                : kind == ExportKind::Dbase                        ? out
                                                                   : QDir(out).filePath(name + QStringLiteral(".xlsx"));
            EXPECT_EQ(ExportWriters::write(database, ExportJob{kind, path, name, ExportRows::allTargets(true)}).rows, 4);
        }
    };
    exportFrom(db, QStringLiteral("server"));
    exportFrom(*file, QStringLiteral("file"));

    const auto exported = Connection::open(exportDb);
    Statement fromServer(*exported, QStringLiteral("SELECT * FROM server ORDER BY rowid"));
    Statement fromFile(*exported, QStringLiteral("SELECT * FROM file ORDER BY rowid"));
    int rows = 0;
    for (; fromFile.step(); ++rows) {
        ASSERT_TRUE(fromServer.step());
        for (int c = 0; c < fromFile.columnCount(); ++c) {
            EXPECT_EQ(fromServer.valueAt(c), fromFile.valueAt(c)) << rows << ":" << c;
            EXPECT_EQ(fromServer.valueAt(c).typeId(), fromFile.valueAt(c).typeId()) << rows << ":" << c;
        }
    }
    EXPECT_FALSE(fromServer.step());
    EXPECT_EQ(rows, 4);

    const auto bytes = [&](const QString& name) {
        QFile dbf(QDir(out).filePath(name));
        return dbf.open(QIODevice::ReadOnly) ? dbf.readAll() : QByteArray();
    };
    EXPECT_FALSE(bytes(QStringLiteral("server.dbf")).isEmpty());
    EXPECT_EQ(bytes(QStringLiteral("server.dbf")), bytes(QStringLiteral("file.dbf")));
    const QString sheet = QStringLiteral("xl/worksheets/sheet1.xml");
    const QByteArray serverSheet = XlsxTestReader::entry(QDir(out).filePath(QStringLiteral("server.xlsx")), sheet);
    EXPECT_TRUE(serverSheet.contains("<v>-4</v>"));
    EXPECT_EQ(serverSheet, XlsxTestReader::entry(QDir(out).filePath(QStringLiteral("file.xlsx")), sheet));
}

} // namespace
