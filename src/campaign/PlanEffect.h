#pragma once

#include "ResponseCurve.h"
#include "ResponseForecast.h"

#include <QList>
#include <QString>

// What one executed plan was worth, as the effect analysis shows it: the plan's stored texts,
// the figures computed from them and its response curve.
struct PlanEffect {
    // As stored in the executed plans.
    QString planNo;            // 序号
    QString title;             // 题目
    QString scale;             // 规模（数量）
    QString expected;          // 预计反馈数
    QString total;             // 反馈合计
    QString rate;              // 反馈率
    QString cost;              // 费用

    // Computed; "" where there is nothing to compute from.
    QString achievement;       // 达成率: 反馈合计 ÷ 预计反馈数, written as 反馈率 is
    QString costPerResponse;   // 每反馈成本: 费用 ÷ 反馈合计, two decimals
    QString days;              // 天数
    QString halfResponseDay;   // 半数反馈日
    QString forecastText;      // 预测反馈总数: a forecast for a running plan, the total for a finished one
    QString forecastNote;      // how the forecast was made, or why there is none
    QString problem;           // a stored text that is not a number (费用, 预计反馈数), said in full

    bool finished = false;
    int forecastDay = 0;       // a running plan's day d (today, counted from its first day row)
    ResponseForecast::Forecast forecast;
    ResponseCurve curve;
    QList<qint64> channels;    // the six channel counters, summed over the plan's daily rows
    QList<qint64> products;    // the five product counters
};
