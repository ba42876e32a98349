#include "AppState.h"

#include "Connection.h"
#include "DbError.h"
#include "Recordset.h"
#include "Schema.h"

#include <QDir>

AppState& AppState::instance()
{
    static AppState state;
    return state;
}

void AppState::setPlanRecordset(std::shared_ptr<Recordset> recordset)
{
    planRecordset_ = std::move(recordset);
    emit planRecordsetReplaced();
}

void AppState::setPlanFeedbackRecordset(std::shared_ptr<Recordset> recordset)
{
    planFeedbackRecordset_ = std::move(recordset);
    emit planFeedbackRecordsetReplaced();
}

void AppState::setBrowseRecordset(std::shared_ptr<Recordset> recordset)
{
    browseRecordset_ = std::move(recordset);
    emit browseRecordsetReplaced();
}

std::shared_ptr<Recordset> AppState::openRecordset(const QString& statement) const
{
    if (!dbConnection)
        throw DbError(QStringLiteral("数据库尚未打开。"));
    return std::make_shared<Recordset>(dbConnection, statement);
}

QString AppState::exportDatabasePath() const
{
    return QDir(appPath).filePath(Schema::ExportDatabaseName);
}

QString AppState::mainDatabasePath() const
{
    return QDir(appPath).filePath(Schema::MainDatabaseName);
}

bool AppState::tableExists(const QString& name) const
{
    try {
        const auto exportDatabase = Connection::open(exportDatabasePath());
        for (const Connection::TableInfo& table : exportDatabase->tables())
            if (table.name == name)
                return true;
    } catch (const DbError&) {
        // An export database that cannot be read holds no table the user could overwrite.
    }
    return false;
}

void AppState::reset()
{
    setBrowseRecordset(nullptr);
    setPlanFeedbackRecordset(nullptr);
    setPlanRecordset(nullptr);
    dbConnection.reset();
    appPath.clear();
    currentPlanNo.clear();
    currentPlanTitle.clear();
    productNames = QStringList{QString(), QString(), QString(), QString(), QString()};
}
