#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class Connection;
class QLockFile;
class Recordset;

// The state every window shares: the one database connection, the program's folder,
// the executed plans, the current plan and its daily rows, the product names and a
// scratch recordset. There is exactly one; windows reach it through instance().
class AppState : public QObject {
    Q_OBJECT

public:
    static AppState& instance();

    std::shared_ptr<Connection> dbConnection;
    QString appPath;
    QString currentPlanNo;
    QString currentPlanTitle;
    // Makes another plan current and, when it is another plan, opens its daily rows as the
    // program's daily rows, so every window that shows them follows. Returns whether the
    // plan changed.
    bool setCurrentPlan(const QString& planNo, const QString& title);

    // Keeps other copies of the program away from the database at `databasePath` until
    // releaseDatabase() or the end of the program (a lock file beside it; the lock of a
    // copy that crashed is taken over). Throws DbError when another copy holds it.
    void lockDatabase(const QString& databasePath);
    void releaseDatabase();

    QStringList productNames{QString(), QString(), QString(), QString(), QString()};

    std::shared_ptr<Recordset> planRecordset() const { return planRecordset_; }
    std::shared_ptr<Recordset> planFeedbackRecordset() const { return planFeedbackRecordset_; }
    std::shared_ptr<Recordset> browseRecordset() const { return browseRecordset_; }
    void setPlanRecordset(std::shared_ptr<Recordset> recordset);
    void setPlanFeedbackRecordset(std::shared_ptr<Recordset> recordset);
    void setBrowseRecordset(std::shared_ptr<Recordset> recordset);

    // Opens a recordset on dbConnection; throws DbError.
    std::shared_ptr<Recordset> openRecordset(const QString& statement) const;

    // Whether the export database in the program's folder holds a table of exactly this
    // name (letter case counts). False when that database cannot be read.
    bool tableExists(const QString& name) const;
    QString exportDatabasePath() const;
    QString mainDatabasePath() const;

    // Tells every window that shows targets that rows of clientTableInfo were added or
    // deleted outside its own recordset (an import pass, a mass deletion), so it re-reads them.
    void announceClientRowsChanged() { emit clientRowsChanged(); }

    // Drops every recordset and the connection (the program ends, or a test starts anew).
    void reset();

signals:
    void planRecordsetReplaced();
    void planFeedbackRecordsetReplaced();
    void browseRecordsetReplaced();
    void clientRowsChanged();
    void currentPlanChanged();

private:
    AppState();
    ~AppState() override;
    std::shared_ptr<Recordset> planRecordset_;
    std::shared_ptr<Recordset> planFeedbackRecordset_;
    std::shared_ptr<Recordset> browseRecordset_;
    std::unique_ptr<QLockFile> databaseLock_;
};
