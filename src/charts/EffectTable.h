#pragma once

#include "campaign/PlanEffect.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class Connection;

// The effect analysis as one table of a database of its own, in memory: what the analysis
// window's grid shows and sorts, and what its export and its printed report read, one line per
// executed plan.
namespace EffectTable {

const QString& name();            // 营销效果分析
const QStringList& columns();     // the captions, which are the table's field names

// The column of a caption, counted from 0.
enum Column {
    PlanNo, Title, Scale, Expected, Total, Rate, Achievement, Cost, CostPerResponse, Days, HalfResponseDay, Forecast
};

QStringList rowTexts(const PlanEffect& plan);

// Every row of the table in the plans' order.
QString query();

// A new in-memory database holding the table with one row per plan, in their order.
// Throws DbError.
std::shared_ptr<Connection> build(const QList<PlanEffect>& plans);

} // namespace EffectTable
