#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <optional>

// What one write of the program changed, announced once the write is stored, so every window
// that shows those rows can read them again.
struct ChangeNotice {
    enum class Table {
        PlanDesigns,    // planTable
        ExecutedPlans,  // marketingComment
        DailyRows,      // feedbackTable
        Targets,        // clientTableInfo
        ProductNames,   // productDF
    };

    Table table;
    QString planNo;          // the plan whose rows changed; "" when rows of any plan did
    QList<qint64> keys = {}; // the rows changed; empty when it was more than a few

    // Whether the change may concern rows of `plan`.
    bool touchesPlan(const QString& plan) const { return planNo.isEmpty() || planNo == plan; }

    // The notice as the text one seat sends the others on a server database, and back;
    // nullopt for a text that is no notice. The plan number comes last, after a line break, so
    // a write can send the plan its statements found without this seat knowing it:
    // textBeforePlan() followed by the plan number is toText().
    QString toText() const;
    QString textBeforePlan() const;
    static std::optional<ChangeNotice> fromText(const QString& text);

    // The notices of one write, about one plan, sent as one text (the line before the plan
    // holds them all), and back: a write then wakes each other seat once, not once a notice.
    static QString textBeforePlan(const QList<ChangeNotice>& notices);
    static QList<ChangeNotice> allFromText(const QString& text);
};

Q_DECLARE_METATYPE(ChangeNotice)
