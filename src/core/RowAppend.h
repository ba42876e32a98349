#pragma once

#include "DbError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

class Connection;
class PgConnection;
class Statement;

// Rows appended to one table in the order given, as many as a big list holds: on a file each
// through one prepared INSERT, on a server in batches of COPY (a few round trips for thousands
// of rows), each batch under a savepoint. A refused value ends the appending the same way on
// both: the rows before it are stored, the refused row and those after it are not.
// Runs inside the caller's transaction.
class RowAppend {
public:
    // `names` are the table's fields the rows fill, unquoted, in binding order.
    RowAppend(Connection& connection, const QString& table, const QStringList& names);
    ~RowAppend();
    RowAppend(const RowAppend&) = delete;
    RowAppend& operator=(const RowAppend&) = delete;

    void bind(int index, const QVariant& value);   // 1-based, as Statement counts
    void bindUtf8(int index, QByteArrayView text);  // a text as UTF-8

    // Ends the row. Throws DbError when a value is refused - this row's, or on a server an
    // earlier row's still on its way - or the store fails; rowsStored() then says how many of
    // the rows given are stored.
    void endRow();
    // Sends the rows still on their way; throws as endRow().
    void finish();
    int rowsStored() const { return stored_; }

    // The rows of one batch sent to a server.
    static constexpr int BatchRows = 5000;

private:
    void sendBatch();
    // Sends rows [from, to) of the batch; when the server refuses a value among them, none of
    // them is kept and the refusal is returned.
    std::optional<DbError> sendRows(int from, int to);

    Connection& connection_;
    PgConnection* server_ = nullptr;
    QString table_;
    QStringList quotedNames_;
    std::unique_ptr<Statement> insert_;       // on a file
    std::vector<std::optional<QByteArray>> row_;   // on a server: the row being bound, as text
    QByteArray batch_;                        // rows on their way, in COPY's text form
    QList<qsizetype> lineEnds_;               // where each row of the batch ends in batch_
    int stored_ = 0;
};
