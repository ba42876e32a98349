#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

class DbError;
class PgConnection;
struct pg_result;

// Statements sent to a server in one flight (libpq's pipeline mode) and run there as one
// transaction: the server runs them one after the other without waiting for this seat, and their
// results come back together, so the flight costs one round trip. A failing statement undoes the
// whole flight and the statements after it are not run.
class PgFlight {
public:
    explicit PgFlight(PgConnection& connection);
    ~PgFlight();
    PgFlight(const PgFlight&) = delete;
    PgFlight& operator=(const PgFlight&) = delete;

    // Queues a statement written the SQLite way (?N for the values); returns its number.
    int add(const QString& sqliteStatement, const QVariantList& values);
    // Sends the flight and waits for every result. Throws DbError when the flight could not be
    // sent or the connection was lost; a statement that failed is told by failedStatement().
    void run();

    // The first statement that failed, -1 when none did; its error for the user.
    int failedStatement() const { return failed_; }
    DbError failure() const;
    // The rows statement `index` returned (valid until the flight is gone).
    const pg_result* rows(int index) const;

private:
    struct Queued {
        QByteArray sql;
        QByteArray key;           // the text and the types of its values
        QList<std::optional<QByteArray>> values;
        QList<unsigned int> types;
        QByteArray name;          // prepared under this name; empty: sent whole
        bool prepareFirst = false;
    };
    void send();
    void receive();
    pg_result* nextResult();

    PgConnection& connection_;
    QList<Queued> queued_;
    QList<pg_result*> results_;
    pg_result* failure_ = nullptr;
    int failed_ = -1;
};
