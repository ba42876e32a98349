#include "ProgramState.h"

#include "ProductNames.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "core/WriteBatch.h"
#include "PlanReference.h"

#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

namespace {

// The server's channel on which the seats of one database tell each other what they stored.
const QString ChangesChannel = QStringLiteral("marquel_changes");

// How often a seat looks for notices besides when its connection's socket says one came: a
// notice read while a statement ran leaves the socket quiet.
constexpr int CheckEveryMilliseconds = 500;

} // namespace

ProgramState::ProgramState(std::shared_ptr<Connection> connection, const QString& appPath)
    : connection_(std::move(connection)), appPath_(QDir::cleanPath(appPath))
{
    if (connection_ && connection_->isServer())
        hearOtherSeats();
}

void ProgramState::hearOtherSeats()
{
    connection_->listen(ChangesChannel);
    const auto takeNotices = [this] {
        // A connection opened again (after the server restarted) has a socket of its own.
        if (connection_->reconnections() != reconnectionsHeard_) {
            reconnectionsHeard_ = connection_->reconnections();
            delete otherSeatsSocket_;
            watchNotificationSocket();
            connection_->noteWrite();
            // Notices sent while the seat was cut off are lost: every window reads its rows again.
            for (const auto table : {ChangeNotice::Table::PlanDesigns, ChangeNotice::Table::ExecutedPlans,
                                     ChangeNotice::Table::DailyRows, ChangeNotice::Table::Targets,
                                     ChangeNotice::Table::ProductNames})
                emit changed({table, QString()});
        }
        if (!otherSeatsSocket_->isEnabled())
            return;
        try {
            for (const QString& text : connection_->takeNotifications()) {
                for (const ChangeNotice& notice : ChangeNotice::allFromText(text)) {
                    connection_->noteWrite();   // rows read before may be stale now
                    if (notice.table == ChangeNotice::Table::ProductNames)
                        setProductNames(ProductNames::load(*connection_));
                    emit changed(notice);
                }
            }
        } catch (const DbError&) {
            // The connection is lost: nothing more comes on this socket. The seat's next action
            // opens the connection again, and this check then watches the new one.
            otherSeatsSocket_->setEnabled(false);
        }
    };
    takeNotices_ = takeNotices;
    watchNotificationSocket();
    otherSeatsCheck_ = new QTimer(this);
    connect(otherSeatsCheck_, &QTimer::timeout, this, takeNotices);
    otherSeatsCheck_->start(CheckEveryMilliseconds);
}

void ProgramState::watchNotificationSocket()
{
    otherSeatsSocket_ = new QSocketNotifier(connection_->notificationSocket(), QSocketNotifier::Read, this);
    connect(otherSeatsSocket_, &QSocketNotifier::activated, this, takeNotices_);
}

void ProgramState::announce(const ChangeNotice& notice)
{
    emit changed(notice);
    if (!connection_ || !connection_->isServer())
        return;
    try {
        connection_->notify(ChangesChannel, notice.toText());
    } catch (const DbError&) {
        // The write itself is stored; the other seats see it at their next reading.
    }
}

void ProgramState::announceWithin(WriteBatch& batch, const QList<ChangeNotice>& notices, const PlanReference& plan) const
{
    BoundSql statement;
    const QString channel = statement.bind(ChangesChannel);
    const QString sent = statement.bind(ChangeNotice::textBeforePlan(notices));
    statement.text = QStringLiteral("SELECT pg_notify(%1, CAST(%2 AS TEXT) || CAST(%3 AS TEXT))").arg(channel, sent, plan.in(statement));
    batch.addOnServer(statement);
}

void ProgramState::announceHere(const ChangeNotice& notice)
{
    emit changed(notice);
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
    return openRecordset(BoundSql{statement, {}});
}

std::shared_ptr<Recordset> ProgramState::openRecordset(const BoundSql& statement) const
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
