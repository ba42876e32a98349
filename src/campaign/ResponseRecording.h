#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class ProgramState;

// Records one response: the target's fields and counters, and the counts on today's row of
// the target's plan, stored together in one transaction.
//
// A response counts on the plan of the target it is recorded for (the target's 序号 as
// stored at the save), on that plan's row of today, and is written only to that target's
// row, by its key, whatever plan is current at the moment. Counters add what the operator
// added since the target was shown to the values stored now, so another save meanwhile is
// never lost.
namespace ResponseRecording {

// The target's own fields, in this order: 营销对象, 电话1, 电话2, 传真, 联系人1, 联系人2,
// 地址, 邮政编码.
const QStringList& targetFieldNames();

struct Draft {
    std::optional<qint64> targetKey;   // the target shown; nullopt for a new target
    QString newTargetPlan;             // the plan a new target belongs to
    QStringList fields = QStringList(8); // as typed, in targetFieldNames() order
    QList<qint64> targetAdded = QList<qint64>(11, 0);   // added to the target's counters since shown
    QList<qint64> dayAdded = QList<qint64>(11, 0);      // added to today's row of the plan
    std::optional<QString> dayContent;                  // today's 反馈内容, when edited
};

struct Result {
    qint64 targetKey = 0;
    QString planNo;          // the plan the response was counted on
    qint64 runningTotal = 0; // that plan's running total at its last day
};

// Stores the draft and announces the targets and daily rows of the plan. Throws DbError with
// a message for the user (a target without a name, a target deleted meanwhile, a count below
// 0, a plan that is not executed); nothing is stored then.
Result record(ProgramState& state, const Draft& draft);

} // namespace ResponseRecording
