#pragma once

#include "PlanEffect.h"

#include <QDate>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class Connection;

// What every executed plan was worth: cost per response, achievement against the expected
// responses, its response curve and, while it runs, a forecast of its final count from the
// curves of the finished plans. Reads the executed plans and all their daily rows in two
// statements, whatever their number, and writes nothing.
namespace CampaignEffects {

// A plan is finished when its last daily row is this many days or more before today; until then
// responses may still come in and it is running.
inline constexpr int QuietDaysOfAFinishedPlan = 28;

struct Analysis {
    QDate today;
    QList<PlanEffect> plans;     // in the order they were executed
    int finishedWithResponses = 0;
};

// The shares of their final count that the finished plans with responses had received by each day,
// from day 1 to `days`: their lower quartile, median and upper quartile, the figures a forecast
// divides by. Empty lists without such plans.
struct ShareBand {
    QList<double> lower;
    QList<double> median;
    QList<double> upper;
};
ShareBand finishedShares(const Analysis& analysis, int days);

// Throws DbError.
Analysis read(const std::shared_ptr<Connection>& db, const QDate& today);

// A stored amount ("5000", "5,000.50", "5000元"); none for a text that is no number ("约5000元").
std::optional<double> amountOf(const QString& text);

// part ÷ whole as a percentage, written as a response rate is: the whole part, then as many
// decimals as fit into four characters, cut rather than rounded, then "%" ("33.3%", "2.5%",
// "0.33%", "150%").
QString percentText(double part, double whole);

// The texts of the shares of `counts` in their sum, in their order ("" each when the sum is 0).
QStringList sharesText(const QList<qint64>& counts);

} // namespace CampaignEffects
