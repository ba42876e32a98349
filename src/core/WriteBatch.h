#pragma once

#include "BoundSql.h"

#include <QList>
#include <QString>
#include <QVariant>

// Statements stored together or not at all, as one transaction under the database's write lock.
// On a server they travel in one flight, with the lock taken and released inside the server, so
// a save costs one round trip whatever it touches and other seats never wait on the network.
// Each statement is written once, the SQLite way with numbered values (?1, ?2 …), in SQL the
// server takes too; every value is bound, never part of the text.
class WriteBatch {
public:
    using Rows = QList<QVariantList>;

    struct Step {
        QString sql;
        QVariantList values;
        // For a check: what the user is told when it refuses the batch. "%1" in it is filled with
        // the first value that step `messageFromStep` returned (when it returned one).
        QString refusal;
        int messageFromStep = -1;
        bool serverOnly = false;   // tells other seats; nothing to do on a file
    };

    // A statement; returns its number, by which its rows are found in the result.
    int add(const QString& sql, const QVariantList& values = {});
    int add(const BoundSql& statement) { return add(statement.text, statement.values); }
    // A check: the whole batch is refused with `message` when `condition` (an SQL condition on
    // the rows as the steps before left them) holds.
    void refuseWhen(const BoundSql& condition, const QString& message, int messageFromStep = -1);
    // A statement run only on a server (a notice to the other seats, sent when the batch is stored).
    void addOnServer(const BoundSql& statement);

    const QList<Step>& steps() const { return steps_; }

    // The table a check writes its refusal into. It is a temporary table of each connection whose
    // one column takes no Null, so a check that holds makes its statement fail on either engine,
    // and with it the whole transaction.
    static QString refusalTableStatement();

private:
    QList<Step> steps_;
};
