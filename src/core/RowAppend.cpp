#include "RowAppend.h"
#include "PgValues.h"

#include "Connection.h"
#include "PgConnection.h"
#include "PgStatement.h"
#include "SqlText.h"
#include "Statement.h"


namespace {

// A batch is sent once it holds this many rows or this many bytes, whichever comes first.
constexpr qsizetype MostBatchBytes = 8 * 1024 * 1024;

// Whether the server refused a value of a row rather than failed itself (a full disk, a lost
// connection), after which nothing more can be stored.
bool isRefusedValue(const DbError& error)
{
    return error.kind() == StoreFailure::ValueRefused;
}

// A value in COPY's text form: \N for Null; a backslash, tab, newline and carriage return escaped.
void appendCopyValue(QByteArray& line, const std::optional<QByteArray>& value)
{
    if (!value) {
        line += "\\N";
        return;
    }
    for (const char c : *value) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\t': line += "\\t"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
}

} // namespace

RowAppend::RowAppend(Connection& connection, const QString& table, const QStringList& names)
    : connection_(connection), server_(dynamic_cast<PgConnection*>(&connection)), table_(table)
{
    QStringList placeholders;
    for (const QString& name : names) {
        quotedNames_ << SqlText::quoteName(name);
        placeholders << QStringLiteral("?");
    }
    if (server_) {
        row_.resize(size_t(names.size()));
        return;
    }
    insert_ = std::make_unique<Statement>(connection_, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                           .arg(SqlText::quoteName(table_),
                                                                quotedNames_.join(QStringLiteral(", ")),
                                                                placeholders.join(QStringLiteral(", "))));
}

RowAppend::~RowAppend() = default;

void RowAppend::bind(int index, const QVariant& value)
{
    if (!server_) {
        insert_->bind(index, value);
        return;
    }
    if (index < 1 || index > int(row_.size()))
        throw DbError(QStringLiteral("数据库错误：参数序号 %1 超出范围。").arg(index));
    row_[size_t(index - 1)] = PgValues::parameter(value);
}

void RowAppend::bindUtf8(int index, QByteArrayView text)
{
    if (!server_) {
        insert_->bindUtf8(index, text);
        return;
    }
    if (index < 1 || index > int(row_.size()))
        throw DbError(QStringLiteral("数据库错误：参数序号 %1 超出范围。").arg(index));
    // COPY's text form cannot carry a NUL either: such a text is refused, never stored cut.
    row_[size_t(index - 1)] = PgValues::textParameter(text.toByteArray());
}

void RowAppend::endRow()
{
    if (!server_) {
        try {
            insert_->step();
            insert_->reset();
        } catch (const DbError&) {
            insert_->reset();
            throw;
        }
        ++stored_;
        return;
    }
    for (size_t i = 0; i < row_.size(); ++i) {
        if (i > 0)
            batch_ += '\t';
        appendCopyValue(batch_, row_[i]);
        row_[i].reset();
    }
    batch_ += '\n';
    lineEnds_ << batch_.size();
    if (lineEnds_.size() >= BatchRows || batch_.size() >= MostBatchBytes)
        sendBatch();
}

void RowAppend::finish()
{
    if (server_)
        sendBatch();
}

std::optional<DbError> RowAppend::sendRows(int from, int to)
{
    const qsizetype start = from == 0 ? 0 : lineEnds_[from - 1];
    try {
        server_->copyRows(table_, quotedNames_, batch_.mid(start, lineEnds_[to - 1] - start));
    } catch (const DbError& error) {
        if (!isRefusedValue(error))
            throw;
        return error;
    }
    return std::nullopt;
}

void RowAppend::sendBatch()
{
    const int rows = int(lineEnds_.size());
    if (rows == 0)
        return;
    std::optional<DbError> refusal = sendRows(0, rows);
    if (refusal) {
        // The server names the value, not its row: the rows before the first refused one are
        // found by halving and stored, as on a file.
        int good = 0;
        int refused = rows;
        while (refused - good > 1) {
            const int middle = (good + refused) / 2;
            if (sendRows(good, middle)) {
                refused = middle;
            } else {
                stored_ += middle - good;
                good = middle;
            }
        }
    } else {
        stored_ += rows;
    }
    batch_.clear();
    lineEnds_.clear();
    if (refusal)
        throw *refusal;
}
