#pragma once

#include <QString>

// A plan as designed, as the plan editor holds it: the nine fields of the plan table and the
// content, all texts (the table keeps every field as text).
struct PlanDesign {
    QString planNo;              // 序号, the key of every row of the plan once executed
    QString title;               // 题目
    QString period;              // 时间周期, free text
    QString region;              // 地区
    QString method;              // 方式
    QString targetDescription;   // 营销对象描述
    QString scale;               // 规模（数量）, the number of targets: a whole number or ""
    QString expectedResponses;   // 预计反馈数
    QString cost;                // 费用
    QString content;             // 内容

    bool operator==(const PlanDesign&) const = default;
};
