#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

class Connection;

// A plan's daily row of today, decided from the store: all the plan's rows, whatever rows a
// window has open or filtered. Saves add their counts to what is stored at that moment, so a
// correction made elsewhere, or a second writer, is never overwritten.
namespace TodaysRow {

// What one save adds to today's row: a number per counter (button order) and, when the
// operator edited it, the day's feedback text.
struct Increments {
    QList<qint64> counters = QList<qint64>(11, 0);
    std::optional<QString> content;
};

// Adds the increments to the plan's row of today, appending the row (plan number, today's
// date, title) when today has none; sets the day total from the six channel counters and
// recomputes the plan's running totals. Runs in one transaction (joining the caller's).
// Returns the plan's running total at its last row. Throws DbError; nothing is stored then.
qint64 add(const std::shared_ptr<Connection>& db, const QString& planNo, const QString& title,
           const Increments& increments);

// The running total of the plan's last daily row, read from the store; nullopt when the plan
// has no daily row.
std::optional<qint64> planTotal(const std::shared_ptr<Connection>& db, const QString& planNo);

} // namespace TodaysRow
