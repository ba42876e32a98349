#include "PgConnectProblem.h"

#include <QRegularExpression>

namespace PgConnectProblem {

namespace {

struct Cause {
    const char* pattern;   // in libpq's or the server's message
    const char* said;      // what the user reads; %1 is what the pattern's group named
};

// The usual causes, the most specific first.
const Cause Causes[] = {
    {"password authentication failed for user \"([^\"]*)\"",
     "用户“%1”的密码不对。请检查 ~/.pgpass 中的密码（或环境变量 PGPASSWORD），或请数据库管理员重设密码。"},
    {"no password supplied",
     "服务器要求密码，但没有提供。请在 ~/.pgpass 中写入密码（一行：服务器:端口:数据库:用户:密码，文件只允许本人读取），或设置环境变量 PGPASSWORD。"},
    {"role \"([^\"]*)\" does not exist", "服务器上没有用户“%1”。请检查地址中的用户名，或请数据库管理员创建该用户。"},
    {"database \"([^\"]*)\" does not exist", "服务器上没有数据库“%1”。请检查地址中的数据库名，或请数据库管理员创建该数据库。"},
    {"no pg_hba.conf entry", "服务器不接受本机的连接。请数据库管理员在服务器的 pg_hba.conf 中允许本机连接。"},
    {"permission denied for database", "该用户没有连接这个数据库的权限。请数据库管理员授予 CONNECT 权限。"},
    {"too many clients|remaining connection slots", "服务器的连接数已满。请稍后再试，或请数据库管理员增加 max_connections。"},
    {"starting up|shutting down|in recovery mode", "数据库服务器正在启动或关闭。请稍等片刻再试。"},
    {"could not translate host name|Name or service not known|nodename nor servname",
     "找不到服务器的主机名。请检查地址中的服务器名称和网络设置。"},
    {"Connection refused|No such file or directory",
     "服务器没有运行，或不接受网络连接。请确认数据库服务器已启动；若服务器在另一台计算机上，请数据库管理员检查 listen_addresses 和防火墙。"},
    {"timeout expired|timed out|No route to host|Network is unreachable",
     "连接服务器超时，网络不通或服务器没有响应。请检查网络连接后再试。"},
    {"invalid port|invalid integer value|invalid URI|missing \"=\"|unexpected|invalid percent-encoded",
     "数据库地址写得不对。地址的格式是 postgresql://用户@服务器:端口/数据库。"},
    {"SSL", "与服务器建立加密连接失败。请数据库管理员检查服务器的 SSL 设置。"},
};

} // namespace

QString describe(const QString& libpqMessage, const QString& shownAddress)
{
    QString cause = QStringLiteral("服务器拒绝了连接或无法访问。请检查地址和网络，或联系数据库管理员。");
    for (const Cause& known : Causes) {
        const QRegularExpression pattern(QString::fromUtf8(known.pattern));
        const QRegularExpressionMatch match = pattern.match(libpqMessage);
        if (match.hasMatch()) {
            cause = QString::fromUtf8(known.said);
            if (cause.contains(QLatin1String("%1")))
                cause = cause.arg(match.captured(1));
            break;
        }
    }
    return QStringLiteral("无法连接数据库服务器“%1”：%2").arg(shownAddress, cause);
}

} // namespace PgConnectProblem
