#pragma once

#include "core/BoundSql.h"
#include "core/FieldTest.h"

#include <QString>
#include <optional>

// The statements with which the target table's maintenance shows its rows.
namespace TargetTable {

inline const QString AllTargets = QStringLiteral("Select * From \"clientTableInfo\"");
inline const QString TargetsWithFeedback = QStringLiteral("Select * From \"clientTableInfo\" Where 反馈合计 >= 1");

BoundSql targetsWithFeedbackOf(const QString& planNo);

// The filter a search by the grid's column sets: 序号 equal to the answer, 营销对象
// holding it anywhere; nullopt for any other column.
std::optional<FieldTests> searchFilter(const QString& fieldName, const QString& answer);

} // namespace TargetTable
