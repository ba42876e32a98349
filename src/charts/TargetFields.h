#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// What the feedback browser shows of a target (a row of clientTableInfo): the fields in
// its boxes with their captions, and the rows of its two charts.
namespace TargetFields {

struct Shown {
    QString field;
    QString caption;
};

// The 22 boxes in index order: 序号 … 邮政编码 (0 … 8), the counters 电话数 … 产品5计数
// (9 … 20), Email (21).
const QList<Shown>& boxes();

// Boxes 9 … 20 hold counters: "0" when there is no target, the other boxes "".
bool isCounter(int boxIndex);

// One row of a chart: the field drawn and the row's label.
struct ChartRow {
    QString field;
    QString label;
};

// 电话数 (电话) … 参观人数 (参观).
const QList<ChartRow>& channelRows();
// 产品1计数 (产品1) … 产品5计数 (产品5).
const QList<ChartRow>& productRows();
// The same rows labelled with the mapped product names; a product without a name keeps 产品N.
QList<ChartRow> productRows(const QStringList& productNames);

} // namespace TargetFields
