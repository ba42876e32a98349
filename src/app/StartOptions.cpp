#include "StartOptions.h"

#include "core/ServerAddress.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>

namespace {

const QString DatabaseOption = QStringLiteral("database");
const QString CopyOption = QStringLiteral("copy-database");

// The options QApplication itself takes; they are not ours to refuse.
const QStringList& qtOptionsWithValue()
{
    static const QStringList names{QStringLiteral("platform"), QStringLiteral("platformpluginpath"),
                                   QStringLiteral("platformtheme"), QStringLiteral("plugin"),
                                   QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
                                   QStringLiteral("qwindowtitle"), QStringLiteral("display"),
                                   QStringLiteral("geometry"), QStringLiteral("style"),
                                   QStringLiteral("stylesheet"), QStringLiteral("session")};
    return names;
}

void letQtOptionsThrough(QCommandLineParser& parser)
{
    const QStringList alone{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                            QStringLiteral("dograb"), QStringLiteral("sync")};
    for (const QString& name : qtOptionsWithValue()) {
        QCommandLineOption option(name, QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const QString& name : alone) {
        QCommandLineOption option(name);
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

StartOptions badUsage(const QString& mistake)
{
    StartOptions options;
    options.action = StartOptions::Action::BadUsage;
    options.mistake = mistake;
    return options;
}

} // namespace

StartOptions StartOptions::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-platform offscreen" is one option, as Qt writes its own.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(DatabaseOption, QString(), QStringLiteral("location")));
    parser.addOption(QCommandLineOption(CopyOption, QString(), QStringLiteral("from")));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("version")}));
    letQtOptionsThrough(parser);

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            const QString dashes = unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--");
            return badUsage(QStringLiteral("未知的选项：%1%2").arg(dashes, unknown.first()));
        }
        // The other mistakes the parser finds: an option that takes a value came last, or one
        // that takes none was given one ("--help=x").
        for (const QString& argument : arguments.mid(1)) {
            const QString option = argument.section(QLatin1Char('='), 0, 0);
            const QString name = QString(option).remove(QRegularExpression(QStringLiteral("^-+")));
            const bool takesValue = name == DatabaseOption || name == QStringLiteral("copy-database")
                || qtOptionsWithValue().contains(name);
            if (argument.startsWith(QLatin1Char('-')) && argument.contains(QLatin1Char('=')) && !takesValue)
                return badUsage(QStringLiteral("选项“%1”不带值。").arg(option));
        }
        return badUsage(QStringLiteral("选项“%1”后面缺少值。").arg(arguments.last()));
    }

    StartOptions options;
    if (parser.isSet(QStringLiteral("help"))) {
        options.action = Action::Help;
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.action = Action::Version;
        return options;
    }
    const QStringList rest = parser.positionalArguments();
    if (parser.isSet(CopyOption)) {
        if (parser.isSet(DatabaseOption))
            return badUsage(QStringLiteral("--copy-database 和 --database 不能同时使用。"));
        if (rest.size() != 1)
            return badUsage(QStringLiteral("--copy-database 需要两个数据库：先写复制自哪个，再写复制到哪个。"));
        options.action = Action::CopyDatabase;
        options.copyFrom = parser.value(CopyOption);
        options.copyTo = rest.first();
        return options;
    }
    if (!rest.isEmpty())
        return badUsage(QStringLiteral("多余的参数：%1").arg(rest.first()));
    if (parser.isSet(DatabaseOption) && parser.value(DatabaseOption).trimmed().isEmpty())
        return badUsage(QStringLiteral("--database 后面需要一个数据库文件或服务器地址。"));
    options.database = parser.value(DatabaseOption).trimmed();
    return options;
}

QString StartOptions::usage()
{
    return QStringLiteral(
        "用法：\n"
        "  marquel                              打开上次选用的数据库；从未选过时，打开默认数据库\n"
        "  marquel --database <文件或地址>      打开这个数据库，下次启动时仍用它\n"
        "  marquel --copy-database <源> <目标>  把源数据库中本程序的表全部复制到空的目标数据库，然后结束\n"
        "  marquel --help                       显示本说明\n"
        "  marquel --version                    显示版本\n"
        "\n"
        "数据库可以是一个文件的路径，也可以是 PostgreSQL 服务器上的数据库：\n"
        "  postgresql://用户名@服务器:端口/数据库名\n"
        "密码不写在地址里：放在 ~/.pgpass 文件中，或者放在环境变量 PGPASSWORD 中。\n"
        "\n"
        "默认数据库：程序所在的文件夹可以写入时（构建目录、U 盘上的副本），是程序旁边的 Tembra_Estimation.db；\n"
        "否则（安装的程序）每个用户有自己的数据库 $XDG_DATA_HOME/Marquel/Tembra_Estimation.db\n"
        "（通常是 ~/.local/share/Marquel/Tembra_Estimation.db），第一次启动时由随程序提供的空数据库复制而成。\n"
        "导出用的数据库和锁文件在默认数据库旁边。用默认数据库作 --database，就不再记着别的数据库。\n");
}

QString StartOptions::defaultDatabaseLine(const QString& path)
{
    return QStringLiteral("这里的默认数据库：%1\n").arg(path);
}

QString StartOptions::versionText()
{
    return QStringLiteral("Marquel 营销活动评估系统 版本 %1\n").arg(QStringLiteral(MARQUEL_VERSION));
}

void StartOptions::hidePasswords(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (ServerAddress::passwordsIn(argument).isEmpty())
            continue;
        const QByteArray shown = ServerAddress::withoutPassword(argument).toLocal8Bit();
        const size_t length = std::strlen(argv[i]);
        // The whole argument is cleared: what follows the shorter text must not keep the rest.
        std::memset(argv[i], 0, length);
        std::memcpy(argv[i], shown.constData(), std::min(length, size_t(shown.size())));
    }
}
