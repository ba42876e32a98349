#include "DbfBytes.h"
#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "exchange/sources/SourceFiles.h"

#include <QDate>
#include <QStringEncoder>
#include <QtEndian>
#include <gtest/gtest.h>
#include <shapefil.h>

namespace {

QByteArray encoded(const char* codePage, const QString& text)
{
    QStringEncoder encoder(codePage);
    return encoder.encode(text);
}

QByteArray padded(const QByteArray& bytes, int length)
{
    return bytes.leftJustified(length, ' ', true);
}

} // namespace

TEST(DbfReader, DBaseIIIWithMemoSample)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("dbase_83.dbf"));
    SKIP_WITHOUT_FIXTURE(path);
    EXPECT_EQ(SourceFiles::readerFor(path).formatName(), QStringLiteral("dBase"));
    EXPECT_EQ(SourceFiles::tableNames(path), QStringList{QStringLiteral("dbase_83")});
    const auto connection = SourceFiles::load(path, QStringLiteral("dbase_83"));
    ASSERT_TRUE(connection);
    EXPECT_EQ(fieldNames(connection, QStringLiteral("Select * From dbase_83")).join(QLatin1Char(',')),
              QStringLiteral("ID,CATCOUNT,AGRPCOUNT,PGRPCOUNT,ORDER,CODE,NAME,THUMBNAIL,IMAGE,PRICE,COST,DESC,WEIGHT,TAXABLE,ACTIVE"));
    Recordset rows(connection, QStringLiteral("Select * From dbase_83"));
    EXPECT_EQ(rows.recordCount(), 67);
    rows.moveFirst();
    EXPECT_EQ(rows.value(QStringLiteral("ID")).toLongLong(), 87);
    EXPECT_EQ(rows.text(QStringLiteral("NAME")), QStringLiteral("Assorted Petits Fours"));
    EXPECT_DOUBLE_EQ(rows.value(QStringLiteral("COST")).toDouble(), 0.0);
    EXPECT_TRUE(rows.text(QStringLiteral("DESC")).startsWith(
        QStringLiteral("Our Original assortment...a little taste of heaven for everyone.  Let us\r\nselect")));
    rows.moveNext();
    EXPECT_EQ(rows.text(QStringLiteral("CODE")), QStringLiteral("CPKG"));
    EXPECT_DOUBLE_EQ(rows.value(QStringLiteral("COST")).toDouble(), 28.95);
    EXPECT_EQ(rows.field(rows.fieldIndex(QStringLiteral("ID"))).kind, FieldInfo::Kind::Integer);
    EXPECT_EQ(rows.field(rows.fieldIndex(QStringLiteral("DESC"))).kind, FieldInfo::Kind::LongText);
}

TEST(DbfReader, DBaseIIISampleWithDatesAndARepeatedFieldName)
{
    const QString path = SourceTestFiles::fixture(QStringLiteral("dbase_03.dbf"));
    SKIP_WITHOUT_FIXTURE(path);
    const auto connection = SourceFiles::load(path, QStringLiteral("dbase_03"));
    const QStringList names = fieldNames(connection, QStringLiteral("Select * From dbase_03"));
    ASSERT_EQ(names.size(), 31);
    EXPECT_EQ(names.first(), QStringLiteral("Point_ID"));
    EXPECT_EQ(names.last(), QStringLiteral("Point_ID1"));
    Recordset rows(connection, QStringLiteral("Select Point_ID, Date_Visit, Max_PDOP, Time From dbase_03"));
    EXPECT_EQ(rows.recordCount(), 14);
    rows.moveFirst();
    EXPECT_EQ(rows.text(0), QStringLiteral("0507121"));
    EXPECT_EQ(rows.value(1).toDate(), QDate(2005, 7, 12));
    EXPECT_DOUBLE_EQ(rows.value(2).toDouble(), 5.2);
    EXPECT_EQ(rows.text(3), QStringLiteral("10:56:30am"));
}

TEST(DbfReader, FileWrittenByShapelibInCodePage936)
{
    SourceTestFiles files;
    const QString path = files.path(QStringLiteral("targets.dbf"));
    DBFHandle dbf = DBFCreateEx(path.toLocal8Bit().constData(), "CP936");
    ASSERT_TRUE(dbf);
    DBFAddField(dbf, "NAME", FTString, 20, 0);
    DBFAddField(dbf, "PHONE", FTString, 11, 0);
    DBFAddField(dbf, "AMOUNT", FTDouble, 10, 2);
    DBFAddField(dbf, "VISITS", FTInteger, 5, 0);
    const QByteArray name = encoded("GBK", QStringLiteral("上海贸易公司"));
    DBFWriteStringAttribute(dbf, 0, 0, name.constData());
    DBFWriteStringAttribute(dbf, 0, 1, "13812345678");
    DBFWriteDoubleAttribute(dbf, 0, 2, 1234.5);
    DBFWriteIntegerAttribute(dbf, 0, 3, 7);
    DBFWriteStringAttribute(dbf, 1, 0, "O'Neil");
    DBFWriteNULLAttribute(dbf, 1, 1);
    DBFWriteNULLAttribute(dbf, 1, 2);
    DBFWriteIntegerAttribute(dbf, 1, 3, 0);
    DBFClose(dbf);

    const auto rows = rowTexts(SourceFiles::load(path, QStringLiteral("targets")),
                               QStringLiteral("Select NAME, PHONE, AMOUNT, VISITS From targets"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("上海贸易公司"), QStringLiteral("13812345678"),
                                    QStringLiteral("1234.5"), QStringLiteral("7")}));
    EXPECT_EQ(rows[1], (QStringList{QStringLiteral("O'Neil"), QString(), QString(), QStringLiteral("0")}));
}

TEST(DbfReader, CodePageByteDecidesTheText)
{
    SourceTestFiles files;
    const QList<DbfBytesField> fields{{"NAME", 'C', 12}};
    const QByteArray gbk = padded(encoded("GBK", QStringLiteral("北京")), 12);
    const QByteArray latin = padded(encoded("windows-1252", QStringLiteral("Crème")), 12);
    const QByteArray utf8 = padded(QStringLiteral("深圳").toUtf8(), 12);

    auto firstName = [&](const QString& file, unsigned char version, unsigned char languageByte, const QByteArray& record) {
        const QString path = files.write(file + QStringLiteral(".dbf"), dbfBytes(version, languageByte, fields, {record}));
        return rowTexts(SourceFiles::load(path, file), QStringLiteral("Select NAME From ") + file).value(0).value(0);
    };
    EXPECT_EQ(firstName(QStringLiteral("fox936"), 0x30, 0x7A, gbk), QStringLiteral("北京"));
    EXPECT_EQ(firstName(QStringLiteral("dos936"), 0xF5, 0x4D, gbk), QStringLiteral("北京"));
    EXPECT_EQ(firstName(QStringLiteral("ansi"), 0x03, 0x03, latin), QStringLiteral("Crème"));
    EXPECT_EQ(firstName(QStringLiteral("noneUtf8"), 0x03, 0x00, utf8), QStringLiteral("深圳"));
    EXPECT_EQ(firstName(QStringLiteral("noneGbk"), 0x03, 0x00, gbk), QStringLiteral("北京"));
}

TEST(DbfReader, PolishAndCzechDosCodePagesAndAnUnknownByteThatIsSaidNotGuessed)
{
    SourceTestFiles files;
    const QList<DbfBytesField> fields{{"NAME", 'C', 12}};
    auto firstName = [&](const QString& file, unsigned char languageByte, const QByteArray& record) {
        const QString path = files.write(file + QStringLiteral(".dbf"), dbfBytes(0x03, languageByte, fields, {record}));
        return rowTexts(SourceFiles::load(path, file), QStringLiteral("Select NAME From ") + file).value(0).value(0);
    };
    EXPECT_EQ(firstName(QStringLiteral("mazovia"), 0x69, padded("\x9C\xA2" "d\xA6 \x98l\x86sk", 12)), QStringLiteral("Łódź Śląsk"));
    EXPECT_EQ(firstName(QStringLiteral("kamenicky"), 0x68, padded("\x9E\x88ka", 12)), QStringLiteral("Řěka"));
    EXPECT_EQ(firstName(QStringLiteral("russianOem"), 0x26, padded(encoded("IBM866", QStringLiteral("Москва")), 12)), QStringLiteral("Москва"));

    const QString unknown = files.write(QStringLiteral("unknown.dbf"), dbfBytes(0x03, 0xF0, fields, {padded("\x9C\xA2" "dz", 12)}));
    try {
        SourceFiles::load(unknown, QStringLiteral("unknown"));
        ADD_FAILURE() << "a text of an unknown code page was guessed";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(unknown)) << error.description().toStdString();
        EXPECT_TRUE(error.description().contains(QStringLiteral("0xF0"))) << error.description().toStdString();
    }
    // Plain ASCII texts read the same in every code page.
    EXPECT_EQ(firstName(QStringLiteral("unknownAscii"), 0xF0, padded("Warszawa", 12)), QStringLiteral("Warszawa"));
}

TEST(DbfReader, ACharacterFieldWithDecimalsAsExcelWritesItIsNoLongField)
{
    SourceTestFiles files;
    // Excel gives a text column 2 decimals; the record (1 + 20 + 10 bytes) fits only the plain length.
    const QList<DbfBytesField> fields{{"NAME", 'C', 20, 2}, {"PHONE", 'C', 10}};
    const QString path = files.write(QStringLiteral("excel.dbf"),
                                     dbfBytes(0x03, 0x00, fields, {padded("Acme Ltd", 20) + "010-1111", padded("Beta", 20) + "020"}));
    EXPECT_EQ(rowTexts(SourceFiles::load(path, QStringLiteral("excel")), QStringLiteral("Select NAME, PHONE From excel")),
              (QList<QStringList>{{QStringLiteral("Acme Ltd"), QStringLiteral("010-1111")}, {QStringLiteral("Beta"), QStringLiteral("020")}}));

    // Clipper's long field: 300 bytes, its high byte in the decimals byte, and a record of 301.
    QByteArray clipper = dbfBytes(0x03, 0x00, {{"NOTE", 'C', 300 - 256, 1}}, {});
    clipper.chop(1);   // the end-of-file mark
    qToLittleEndian<quint32>(1, clipper.data() + 4);
    qToLittleEndian<quint16>(301, clipper.data() + 10);
    clipper += ' ' + QByteArray(299, 'x') + "y\x1A";
    const QString long300 = files.write(QStringLiteral("clipper.dbf"), clipper);
    const QString note = rowTexts(SourceFiles::load(long300, QStringLiteral("clipper")), QStringLiteral("Select NOTE From clipper")).value(0).value(0);
    EXPECT_EQ(note.size(), 300);
    EXPECT_TRUE(note.endsWith(QLatin1Char('y')));
}

TEST(DbfReader, VisualFoxProTypesMemosNullsAndDeletedRecords)
{
    SourceTestFiles files;
    // A .fpt: 512-byte header with block size 64; one text memo in block 8.
    QByteArray fpt(512, '\0');
    qToBigEndian<quint32>(10, fpt.data());
    qToBigEndian<quint16>(64, fpt.data() + 6);
    const QByteArray memoText = encoded("GBK", QStringLiteral("老客户，常年订货"));
    QByteArray block(8, '\0');
    qToBigEndian<quint32>(1, block.data());
    qToBigEndian<quint32>(quint32(memoText.size()), block.data() + 4);
    fpt += (block + memoText).leftJustified(128, '\0');
    files.write(QStringLiteral("fox.FPT"), fpt);

    auto le32 = [](qint32 v) { QByteArray b(4, '\0'); qToLittleEndian<qint32>(v, b.data()); return b; };
    auto le64 = [](qint64 v) { QByteArray b(8, '\0'); qToLittleEndian<qint64>(v, b.data()); return b; };
    auto leDouble = [](double v) { QByteArray b(8, '\0'); qToLittleEndian<double>(v, b.data()); return b; };
    const qint32 julian = qint32(QDate(2026, 12, 7).toJulianDay());

    const QList<DbfBytesField> fields{
        {"NAME", 'C', 10}, {"NOTE", 'M', 4}, {"COUNT", 'I', 4}, {"MONEY", 'Y', 8},
        {"SEEN", 'T', 8}, {"RATE", 'B', 8}, {"ACTIVE", 'L', 1}, {"BORN", 'D', 8},
        {"PHONE", 'C', 11, 0, 0x02}, {"_NullFlags", '0', 1, 0, 0x05}};
    const QByteArray first = padded("Zhang", 10) + le32(8) + le32(-42) + le64(123456) + le32(julian)
                             + le32((9 * 3600 + 5 * 60) * 1000) + leDouble(0.25) + "T" + "19800229"
                             + padded("", 11) + QByteArray(1, '\x01');
    const QByteArray deleted = "*" + padded("Gone", 10) + le32(0) + le32(1) + le64(0) + le64(0) + le64(0) + "F"
                               + "        " + padded("", 11) + QByteArray(1, '\0');
    const QByteArray third = padded("Li", 10) + le32(0) + le32(7) + le64(0) + le64(0) + leDouble(-1.5) + "?"
                             + "        " + padded("021", 11) + QByteArray(1, '\0');
    const QString path = files.write(QStringLiteral("fox.dbf"), dbfBytes(0x30, 0x7A, fields, {first, deleted, third}));

    Recordset rows(SourceFiles::load(path, QStringLiteral("fox")), QStringLiteral("Select * From fox"));
    ASSERT_EQ(rows.fieldCount(), 9);   // _NullFlags is not a column
    ASSERT_EQ(rows.recordCount(), 2);
    rows.moveFirst();
    EXPECT_EQ(rows.text(QStringLiteral("NAME")), QStringLiteral("Zhang"));
    EXPECT_EQ(rows.text(QStringLiteral("NOTE")), QStringLiteral("老客户，常年订货"));
    EXPECT_EQ(rows.value(QStringLiteral("COUNT")).toLongLong(), -42);
    EXPECT_DOUBLE_EQ(rows.value(QStringLiteral("MONEY")).toDouble(), 12.3456);
    EXPECT_EQ(rows.value(QStringLiteral("SEEN")).toDateTime(), QDateTime(QDate(2026, 12, 7), QTime(9, 5)));
    EXPECT_DOUBLE_EQ(rows.value(QStringLiteral("RATE")).toDouble(), 0.25);
    EXPECT_EQ(rows.text(QStringLiteral("ACTIVE")), QStringLiteral("True"));
    EXPECT_EQ(rows.value(QStringLiteral("BORN")).toDate(), QDate(1980, 2, 29));
    EXPECT_TRUE(rows.value(QStringLiteral("PHONE")).isNull());   // its null bit is set
    rows.moveNext();
    EXPECT_EQ(rows.text(QStringLiteral("NAME")), QStringLiteral("Li"));
    EXPECT_TRUE(rows.value(QStringLiteral("NOTE")).isNull());
    EXPECT_TRUE(rows.value(QStringLiteral("SEEN")).isNull());
    EXPECT_TRUE(rows.value(QStringLiteral("ACTIVE")).isNull());
    EXPECT_TRUE(rows.value(QStringLiteral("BORN")).isNull());
    EXPECT_EQ(rows.text(QStringLiteral("PHONE")), QStringLiteral("021"));
}

TEST(DbfReader, DBaseIVMemoAndMissingOrDamagedMemoFile)
{
    SourceTestFiles files;
    QByteArray dbt(512, '\0');
    qToLittleEndian<quint16>(512, dbt.data() + 20);
    QByteArray block("\xFF\xFF\x08\x00", 4);
    QByteArray length(4, '\0');
    qToLittleEndian<quint32>(8 + 5, length.data());
    dbt += (block + length + "hello").leftJustified(512, '\0');
    files.write(QStringLiteral("four.dbt"), dbt);
    const QList<DbfBytesField> fields{{"NOTE", 'M', 10}};
    const QString path = files.write(QStringLiteral("four.dbf"), dbfBytes(0x8B, 0x00, fields, {"         1", "          "}));
    const auto rows = rowTexts(SourceFiles::load(path, QStringLiteral("four")), QStringLiteral("Select NOTE From four"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0], QStringLiteral("hello"));
    EXPECT_EQ(rows[1][0], QString());

    const QString pointsOutside = files.write(QStringLiteral("far.dbf"), dbfBytes(0x8B, 0x00, fields, {"     99999"}));
    files.write(QStringLiteral("far.dbt"), dbt);
    try {
        SourceFiles::load(pointsOutside, QStringLiteral("far"));
        FAIL() << "a memo outside its file must not load";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("far.dbt")));
    }

    const QString noMemo = files.write(QStringLiteral("lonely.dbf"), dbfBytes(0x83, 0x00, fields, {"         1"}));
    try {
        SourceFiles::load(noMemo, QStringLiteral("lonely"));
        FAIL() << "a table whose memo file is missing must not load";
    } catch (const DbError& error) {
        EXPECT_TRUE(error.description().contains(noMemo));
        EXPECT_TRUE(error.description().contains(QStringLiteral("备注文件")));
    }
}

TEST(DbfReader, TruncatedTableIsReportedNotShortened)
{
    SourceTestFiles files;
    const QList<DbfBytesField> fields{{"NAME", 'C', 10}};
    QByteArray bytes = dbfBytes(0x03, 0x00, fields, {"a", "b", "c"});
    bytes.chop(15);
    const QString path = files.write(QStringLiteral("cut.dbf"), bytes);
    try {
        SourceFiles::tableNames(path);
        FAIL() << "a truncated table must not be listed as whole";
    } catch (const DbError& error) {
        EXPECT_EQ(error.description(),
                  QStringLiteral("无法读取文件“%1”：文件不完整，缺少部分记录（文件已损坏）。").arg(path));
    }
}

TEST(DbfReader, ChineseFieldNamesAreReadInTheTablesCodePage)
{
    SourceTestFiles files;
    // A Visual FoxPro table of code page 936, as FoxPro writes it.
    const QList<DbfBytesField> foxFields{{encoded("GBK", QStringLiteral("设计编号")), 'C', 8},
                                         {encoded("GBK", QStringLiteral("审核信息")), 'C', 10}};
    const QString fox = files.write(QStringLiteral("fox.dbf"),
                                    dbfBytes(0x30, 0x7A, foxFields, {QByteArray("A-01    ") + encoded("GBK", QStringLiteral("已审核    "))}));
    const auto foxTable = SourceFiles::load(fox, QStringLiteral("fox"));
    EXPECT_EQ(fieldNames(foxTable, QStringLiteral("Select * From fox")),
              (QStringList{QStringLiteral("设计编号"), QStringLiteral("审核信息")}));
    EXPECT_EQ(rowTexts(foxTable, QStringLiteral("Select 审核信息 From fox")).value(0).value(0), QStringLiteral("已审核"));

    // A dBase III table as the program's own export writes it (shapelib, language driver 0x7A).
    const QString path = files.path(QStringLiteral("exported.dbf"));
    DBFHandle dbf = DBFCreateEx(path.toLocal8Bit().constData(), "LDID/122");
    ASSERT_TRUE(dbf);
    DBFAddField(dbf, encoded("GBK", QStringLiteral("营销对象")).constData(), FTString, 20, 0);
    DBFAddField(dbf, encoded("GBK", QStringLiteral("电话1")).constData(), FTString, 11, 0);
    DBFWriteStringAttribute(dbf, 0, 0, encoded("GBK", QStringLiteral("上海贸易公司")).constData());
    DBFWriteStringAttribute(dbf, 0, 1, "13812345678");
    DBFClose(dbf);
    EXPECT_EQ(fieldNames(SourceFiles::load(path, QStringLiteral("exported")), QStringLiteral("Select * From exported")),
              (QStringList{QStringLiteral("营销对象"), QStringLiteral("电话1")}));
}
