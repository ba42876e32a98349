#pragma once

#include "ChangeNotice.h"
#include "core/BoundSql.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class Connection;
class PlanReference;
class Recordset;
class WriteBatch;
class QSocketNotifier;
class QTimer;

// What every window of one running program shares: the database, the program's folder, the
// current plan and the product names. The start-up wiring makes one and hands it to each
// window it opens; it changes only through these methods, each of which says so by a signal.
// Writes go through the use cases, which announce what they changed with announce().
class ProgramState : public QObject {
    Q_OBJECT

public:
    ProgramState(std::shared_ptr<Connection> connection, const QString& appPath);
    ~ProgramState() override;

    const std::shared_ptr<Connection>& connection() const { return connection_; }
    Connection& store() const { return *connection_; }
    QString appPath() const { return appPath_; }
    QString mainDatabasePath() const;
    QString exportDatabasePath() const;

    QString currentPlanNo() const { return currentPlanNo_; }
    QString currentPlanTitle() const { return currentPlanTitle_; }
    // Makes another plan current; emits currentPlanChanged when the plan number changed.
    void setCurrentPlan(const QString& planNo, const QString& title);

    // The five product names, by position 0 … 4.
    QStringList productNames() const { return productNames_; }
    void setProductNames(const QStringList& names);

    // Opens a recordset on the program's database; throws DbError.
    std::shared_ptr<Recordset> openRecordset(const QString& statement) const;
    std::shared_ptr<Recordset> openRecordset(const BoundSql& statement) const;

    // Whether the export database in the program's folder holds a table of exactly this
    // name (letter case counts). False when that database cannot be read.
    bool tableExists(const QString& name) const;

    // Tells every window what a stored write changed, and on a server database the other
    // seats too: their windows hear it as `changed` within a moment.
    void announce(const ChangeNotice& notice);
    // For a write sent as one batch: adds to it what tells the other seats of `notices` when the
    // batch is stored (on a server), the plan being the one `plan` names in the store at that
    // moment. Once the batch is stored, announceHere() tells this seat's windows.
    void announceWithin(WriteBatch& batch, const QList<ChangeNotice>& notices, const PlanReference& plan) const;
    void announceHere(const ChangeNotice& notice);

signals:
    void currentPlanChanged();
    void productNamesChanged();
    void changed(const ChangeNotice& notice);

private:
    void hearOtherSeats();
    void watchNotificationSocket();

    std::shared_ptr<Connection> connection_;
    QString appPath_;
    QString currentPlanNo_;
    QString currentPlanTitle_;
    QStringList productNames_{QString(), QString(), QString(), QString(), QString()};
    QSocketNotifier* otherSeatsSocket_ = nullptr;
    QTimer* otherSeatsCheck_ = nullptr;
    int reconnectionsHeard_ = 0;
    std::function<void()> takeNotices_;
};
