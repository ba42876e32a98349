#include "ProgramState.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"

#include <QDir>

ProgramState::ProgramState(std::shared_ptr<Connection> connection, const QString& appPath)
    : connection_(std::move(connection)), appPath_(QDir::cleanPath(appPath))
{
}

ProgramState::~ProgramState() = default;

QString ProgramState::mainDatabasePath() const
{
    return QDir(appPath_).filePath(Schema::MainDatabaseName);
}

QString ProgramState::exportDatabasePath() const
{
    return QDir(appPath_).filePath(Schema::ExportDatabaseName);
}

void ProgramState::setCurrentPlan(const QString& planNo, const QString& title)
{
    const bool changed = planNo != currentPlanNo_;
    currentPlanNo_ = planNo;
    currentPlanTitle_ = title;
    if (changed)
        emit currentPlanChanged();
}

void ProgramState::setProductNames(const QStringList& names)
{
    QStringList five = names.mid(0, 5);
    while (five.size() < 5)
        five << QString();
    if (five == productNames_)
        return;
    productNames_ = five;
    emit productNamesChanged();
}

std::shared_ptr<Recordset> ProgramState::openRecordset(const QString& statement) const
{
    if (!connection_)
        throw DbError(QStringLiteral("数据库尚未打开。"));
    return std::make_shared<Recordset>(connection_, statement);
}

bool ProgramState::tableExists(const QString& name) const
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
