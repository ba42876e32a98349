#include "MemoryTableSink.h"

#include "ColumnNames.h"
#include "core/Connection.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/SqliteStatement.h"
#include "core/DbError.h"
#include "core/FieldInfo.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>
#include <cmath>

namespace {

const QString LoadingTable = QStringLiteral("marquel loading rows");
constexpr int ShortTextLimit = 255;
constexpr qint64 RowsPerMove = 5000;

// The length a valid UTF-8 text has as a QString (UTF-16 units), as the column widths count.
// Only a long text needs counting: a text of at most ShortTextLimit bytes is that short anyway.
int utf16Length(const QByteArray& utf8)
{
    if (utf8.size() <= ShortTextLimit)
        return int(utf8.size());
    int units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) != 0x80 ? 1 : 0;   // a character starts here
        units += byte >= 0xF0 ? 1 : 0;            // beyond U+FFFF: a surrogate pair
    }
    return units;
}

void run(Connection& connection, const QString& sql)
{
    Statement statement(connection, sql);
    while (statement.step()) {
    }
}

// The folder SQLite keeps a temporary database's file in, looked for as SQLite looks.
QString temporaryFolder()
{
    for (const char* variable : {"SQLITE_TMPDIR", "TMPDIR"}) {
        const QString folder = qEnvironmentVariable(variable);
        if (!folder.isEmpty() && QFileInfo(folder).isDir() && QFileInfo(folder).isWritable())
            return folder;
    }
    for (const char* folder : {"/var/tmp", "/usr/tmp", "/tmp"}) {
        if (QFileInfo(QString::fromLatin1(folder)).isDir() && QFileInfo(QString::fromLatin1(folder)).isWritable())
            return QString::fromLatin1(folder);
    }
    return QDir::currentPath();
}

// A full disk while loading is the temporary folder's disk, not the database's: the message
// names the folder and what to do, rather than "the changes cannot be saved".
DbError withTemporaryFolder(const DbError& error)
{
    if (error.kind() != StoreFailure::DiskFull)
        return error;
    return DbError(QStringLiteral("临时文件夹“%1”所在的磁盘已满，放不下读入的数据。请在该磁盘上腾出空间后再导入"
                                  "（也可以把环境变量 TMPDIR 设为另一个有空间的文件夹，再启动程序）。")
                       .arg(QDir::toNativeSeparators(temporaryFolder())),
                   StoreFailure::DiskFull);
}

} // namespace

MemoryTableSink::MemoryTableSink(std::shared_ptr<Connection> connection, QString tableName)
    : connection_(std::move(connection)), tableName_(std::move(tableName))
{
    // The database is a scratch copy that is thrown away whenever a load fails or is cancelled:
    // it needs no journal to undo with and no waiting for the disk.
    run(*connection_, QStringLiteral("PRAGMA journal_mode = OFF"));
    run(*connection_, QStringLiteral("PRAGMA synchronous = OFF"));
    // A list of a hundred thousand rows stays in memory (40 MB); longer ones go to the
    // database's temporary file.
    run(*connection_, QStringLiteral("PRAGMA cache_size = -40960"));
}

MemoryTableSink::~MemoryTableSink() = default;

void MemoryTableSink::begin(const QStringList& columnNames)
{
    columns_ = ColumnNames::usable(columnNames.isEmpty() ? QStringList{QString()} : columnNames);
    kinds_.assign(size_t(columns_.size()), ColumnKinds{});
    if (!transaction_)
        transaction_ = std::make_unique<Transaction>(*connection_);
    QStringList declarations;
    QStringList parameters;
    for (const QString& column : columns_) {
        declarations << SqlText::quoteName(column);
        parameters << QStringLiteral("?");
    }
    run(*connection_, QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(SqlText::quoteName(LoadingTable), declarations.join(QStringLiteral(", "))));
    insert_ = std::make_unique<Statement>(
        *connection_, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                   .arg(SqlText::quoteName(LoadingTable), parameters.join(QStringLiteral(", "))));
}

void MemoryTableSink::addRow(const QVariantList& values)
{
    if (!insert_)
        begin({});
    // A row shorter than the heading is filled with Null; a reader never hands a longer one.
    static const QVariant null;
    for (int i = 0; i < columns_.size(); ++i)
        bind(i + 1, i < values.size() ? values.at(i) : null, kinds_[size_t(i)]);
    try {
        insert_->step();
    } catch (const DbError& error) {
        throw withTemporaryFolder(error);
    }
    // Every parameter is bound again for the next row: no need to clear them.
    sqlite3_reset(insert_->sqliteHandle());
    ++rowCount_;
}

void MemoryTableSink::restart()
{
    if (!insert_)
        return;
    insert_.reset();
    run(*connection_, QStringLiteral("DROP TABLE %1").arg(SqlText::quoteName(LoadingTable)));
    columns_.clear();
    kinds_.clear();
    rowCount_ = 0;
}

// Binds straight to SQLite: a list of a hundred thousand rows is loaded without a copy of
// each value on the way. The values live until the row is stored (SQLITE_STATIC).
void MemoryTableSink::bind(int index, const QVariant& value, ColumnKinds& kinds)
{
    sqlite3_stmt* statement = insert_->sqliteHandle();
    int result = SQLITE_OK;
    switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
    case QMetaType::UnknownType:
        result = sqlite3_bind_null(statement, index);
        break;
    case QMetaType::Bool: {
        // A yes/no value reads as the words the program always shows for it.
        const QString words = TextRules::joinedText(value);
        kinds.text = true;
        kinds.longestText = std::max(kinds.longestText, int(words.size()));
        result = sqlite3_bind_text16(statement, index, words.utf16(), int(words.size() * 2), SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::QByteArray: {
        // A text as UTF-8, stored as it is; bytes that are no UTF-8 go the way of a QString,
        // which shows them as replacement characters.
        const QByteArray& text = *static_cast<const QByteArray*>(value.constData());
        if (!text.isValidUtf8()) {
            const QString replaced = QString::fromUtf8(text);
            kinds.text = true;
            kinds.longestText = std::max(kinds.longestText, int(replaced.size()));
            result = sqlite3_bind_text16(statement, index, replaced.utf16(), int(replaced.size() * 2), SQLITE_TRANSIENT);
            break;
        }
        kinds.text = true;
        kinds.longestText = std::max(kinds.longestText, utf16Length(text));
        result = sqlite3_bind_text(statement, index, text.constData(), int(text.size()), SQLITE_STATIC);
        break;
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        kinds.whole = true;
        result = sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (!std::isfinite(number)) {
            result = sqlite3_bind_null(statement, index);
            break;
        }
        kinds.real = true;
        result = sqlite3_bind_double(statement, index, number);
        break;
    }
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
        kinds.date = true;
        const QDateTime moment = value.typeId() == QMetaType::QDate ? QDateTime(value.toDate(), QTime(0, 0))
                                                                    : value.toDateTime();
        const QByteArray text = (moment.time() == QTime(0, 0) ? moment.date().toString(Qt::ISODate)
                                                               : moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                                    .toLatin1();
        // Kept as bytes until the column's type is known: see datesToText().
        result = sqlite3_bind_blob(statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QString* text = value.typeId() == QMetaType::QString ? static_cast<const QString*>(value.constData()) : nullptr;
        const QString converted = text ? QString() : value.toString();
        const QString& chosen = text ? *text : converted;
        kinds.text = true;
        kinds.longestText = std::max(kinds.longestText, int(chosen.size()));
        result = sqlite3_bind_text16(statement, index, chosen.utf16(), int(chosen.size() * 2),
                                     text ? SQLITE_STATIC : SQLITE_TRANSIENT);
    }
    }
    if (result != SQLITE_OK)
        throw sqliteError(connection_->sqliteHandle());
}

QString MemoryTableSink::declaredType(const ColumnKinds& kinds) const
{
    const int kindCount = int(kinds.text) + int(kinds.whole || kinds.real) + int(kinds.date);
    if (kindCount == 1 && !kinds.text) {
        if (kinds.date)
            return QStringLiteral("DATETIME");
        if (kinds.real)
            return QStringLiteral("DOUBLE");
        return QStringLiteral("INTEGER");
    }
    // Texts, empty columns and mixed columns are texts; the numbers among them take their text
    // form (see storeAsDeclared). A long text is LONGTEXT, not MEMO: SQLite gives a column
    // declared MEMO numeric affinity, which would turn a text such as "0012" into 12.
    return kinds.longestText > ShortTextLimit ? QStringLiteral("LONGTEXT") : QStringLiteral("TEXT(255)");
}

// Dates wait in the loading table as bytes. In a date column they become the text the
// database keeps dates as; among texts they become the text the program shows for a date,
// as the import copies it.
void MemoryTableSink::datesToText(const QString& column, bool dateColumn)
{
    const QString name = SqlText::quoteName(column);
    const QString table = SqlText::quoteName(LoadingTable);
    if (dateColumn) {
        run(*connection_, QStringLiteral("UPDATE %1 SET %2 = CAST(%2 AS TEXT) WHERE typeof(%2) = 'blob'").arg(table, name));
        return;
    }
    Statement dates(*connection_,
                    QStringLiteral("SELECT rowid, %2 FROM %1 WHERE typeof(%2) = 'blob'").arg(table, name));
    Statement update(*connection_, QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(table, name));
    while (dates.step()) {
        const QString stored = QString::fromLatin1(dates.valueAt(1).toByteArray());
        const QDateTime moment = parseDateText(stored);
        const QVariant value = moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
        update.bind(1, TextRules::joinedText(value));
        update.bindInt64(2, dates.int64At(0));
        update.step();
        update.reset();
    }
}

void MemoryTableSink::finish()
{
    try {
        finishTable();
    } catch (const DbError& error) {
        throw withTemporaryFolder(error);
    }
}

void MemoryTableSink::finishTable()
{
    if (!insert_)
        begin({});
    insert_.reset();
    QStringList declarations;
    for (int i = 0; i < columns_.size(); ++i)
        declarations << SqlText::quoteName(columns_.at(i)) + QLatin1Char(' ') + declaredType(kinds_[size_t(i)]);
    const QString definition = QStringLiteral("CREATE TABLE %1 (%2)").arg(SqlText::quoteName(tableName_), declarations.join(QStringLiteral(", ")));
    for (int i = 0; i < columns_.size(); ++i)
        if (kinds_[size_t(i)].date)
            datesToText(columns_.at(i), declaredType(kinds_[size_t(i)]) == QLatin1String("DATETIME"));
    if (!redefineLoadingTable(definition))
        moveToNewTable(definition);
    transaction_->commit();
    transaction_.reset();
    connection_->noteWrite();
}

// Gives the values of a TEXT(255), LONGTEXT, INTEGER, DOUBLE or DATETIME column the form the column's
// type gives them when they are stored: numbers among texts become texts, whole numbers in a
// column of numbers become reals. (Dates are texts by now, see datesToText().)
void MemoryTableSink::storeAsDeclared(const QString& column, const ColumnKinds& kinds)
{
    const QString type = declaredType(kinds);
    const QString name = SqlText::quoteName(column);
    const bool text = type == QLatin1String("TEXT(255)") || type == QLatin1String("LONGTEXT");
    if (text && (kinds.whole || kinds.real))
        run(*connection_, QStringLiteral("UPDATE %1 SET %2 = CAST(%2 AS TEXT) WHERE typeof(%2) IN ('integer', 'real')")
                              .arg(SqlText::quoteName(LoadingTable), name));
    else if (type == QLatin1String("DOUBLE") && kinds.whole)
        run(*connection_, QStringLiteral("UPDATE %1 SET %2 = CAST(%2 AS REAL) WHERE typeof(%2) = 'integer'")
                              .arg(SqlText::quoteName(LoadingTable), name));
}

// The loading table becomes the final table where it lies: its entry in the schema gets the
// final name and column types, SQLite's documented way of changing a table's definition
// without rewriting its rows. It saves copying every row once. False when the database
// refuses to have its schema written (a build made defensive); the rows are copied then.
bool MemoryTableSink::redefineLoadingTable(const QString& definition)
{
    for (int i = 0; i < columns_.size(); ++i)
        storeAsDeclared(columns_.at(i), kinds_[size_t(i)]);
    Statement version(*connection_, QStringLiteral("PRAGMA schema_version"));
    version.step();
    const qint64 schemaVersion = version.int64At(0);
    run(*connection_, QStringLiteral("PRAGMA writable_schema = ON"));
    try {
        Statement redefine(*connection_,
                           QStringLiteral("UPDATE sqlite_master SET name = ?1, tbl_name = ?1, sql = ?2 WHERE type = 'table' AND name = ?3"));
        redefine.bind(1, tableName_);
        redefine.bind(2, definition);
        redefine.bind(3, LoadingTable);
        redefine.step();
        // A new schema version makes the connection read the changed definition.
        run(*connection_, QStringLiteral("PRAGMA schema_version = %1").arg(schemaVersion + 1));
    } catch (const DbError&) {
        run(*connection_, QStringLiteral("PRAGMA writable_schema = OFF"));
        return false;
    }
    run(*connection_, QStringLiteral("PRAGMA writable_schema = OFF"));
    return true;
}

void MemoryTableSink::moveToNewTable(const QString& definition)
{
    run(*connection_, definition);
    // Moved a block at a time, so the freed pages of the loading table take the rows of the
    // final one and the rows are never held twice.
    const QString moveBlock = QStringLiteral("INSERT INTO %1 SELECT * FROM %2 WHERE rowid <= %3")
                                  .arg(SqlText::quoteName(tableName_), SqlText::quoteName(LoadingTable));
    const QString dropBlock = QStringLiteral("DELETE FROM %1 WHERE rowid <= %2").arg(SqlText::quoteName(LoadingTable));
    for (qint64 upTo = RowsPerMove; upTo - RowsPerMove < rowCount_; upTo += RowsPerMove) {
        run(*connection_, moveBlock.arg(upTo));
        run(*connection_, dropBlock.arg(upTo));
    }
    run(*connection_, QStringLiteral("DROP TABLE %1").arg(SqlText::quoteName(LoadingTable)));
}
