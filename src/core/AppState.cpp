#include "AppState.h"

#include "Connection.h"
#include "DbError.h"
#include "Recordset.h"
#include "Schema.h"

#include "ExecutedPlans.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

AppState& AppState::instance()
{
    static AppState state;
    return state;
}

AppState::AppState() = default;
AppState::~AppState() = default;

bool AppState::setCurrentPlan(const QString& planNo, const QString& title)
{
    const bool changed = planNo != currentPlanNo;
    currentPlanNo = planNo;
    currentPlanTitle = title;
    if (!changed)
        return false;
    if (dbConnection)
        ExecutedPlans::openPlanFeedback(*this);
    emit currentPlanChanged();
    return true;
}

void AppState::lockDatabase(const QString& databasePath)
{
    releaseDatabase();
    auto lock = std::make_unique<QLockFile>(databasePath + QStringLiteral(".lock"));
    // Only a live copy of the program keeps the lock; the lock of one that crashed is
    // recognised by its process being gone and taken over.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError)
            throw DbError(QStringLiteral("数据库“%1”已由另一个正在运行的 Marquel 打开。同一个数据库同时只能由一个 Marquel 使用。")
                              .arg(QDir::toNativeSeparators(databasePath)));
        throw DbError(QStringLiteral("无法在“%1”中建立锁文件，数据库不能安全使用。请检查该文件夹的写入权限。")
                          .arg(QDir::toNativeSeparators(QFileInfo(databasePath).absolutePath())));
    }
    databaseLock_ = std::move(lock);
}

void AppState::releaseDatabase()
{
    databaseLock_.reset();
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
    releaseDatabase();
    appPath.clear();
    currentPlanNo.clear();
    currentPlanTitle.clear();
    productNames = QStringList{QString(), QString(), QString(), QString(), QString()};
}
