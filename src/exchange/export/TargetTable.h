#pragma once

#include <QString>
#include <optional>

class Connection;

// The statements of the target table's maintenance, and its mass deletions.
namespace TargetTable {

inline const QString AllTargets = QStringLiteral("Select * From clientTableInfo");
inline const QString TargetsWithFeedback = QStringLiteral("Select * From clientTableInfo Where 反馈合计 >= 1");
inline const QString DeleteTargetsWithoutFeedback = QStringLiteral("Delete * From clientTableInfo Where 反馈合计 = 0");

QString targetsWithFeedbackOf(const QString& planNo);
QString deleteTargetsOf(const QString& planNo);

// The filter a search by the grid's column sets: 序号 equal to the answer, 营销对象
// holding it anywhere; nullopt for any other column.
std::optional<QString> searchFilter(const QString& fieldName, const QString& answer);

// Runs a deletion of many targets as one transaction: all of them go, or none.
// Returns the number deleted; throws DbError.
int deleteTargets(Connection& connection, const QString& deleteStatement);

} // namespace TargetTable
