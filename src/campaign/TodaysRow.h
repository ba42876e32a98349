#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

class Connection;
class PlanReference;
class WriteBatch;

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

// Adds to a write's batch the statements that add the increments to the plan's last row dated
// today, or append that row (plan number, today's date, the plan's title, or `title` when the
// plan has no row among the executed plans) when today has none; set the day total from the six
// channel counters; and move the running totals of that row and the rows after it by the day
// total's change. A counter that would fall below 0 refuses the batch.
void addTo(WriteBatch& batch, const PlanReference& plan, const QString& title, const Increments& increments);

// The same as a write of its own. Returns the plan's running total at its last row. Throws
// DbError; nothing is stored then.
qint64 add(const std::shared_ptr<Connection>& db, const QString& planNo, const QString& title,
           const Increments& increments);

// The running total of the plan's last daily row, read from the store; nullopt when the plan
// has no daily row.
std::optional<qint64> planTotal(const std::shared_ptr<Connection>& db, const QString& planNo);

} // namespace TodaysRow
