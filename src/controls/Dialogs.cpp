#include "Dialogs.h"

#include "FileFolders.h"
#include "QtDialogs.h"

#include <QFileInfo>

namespace {

std::unique_ptr<Dialogs>& installedDialogs()
{
    static std::unique_ptr<Dialogs> dialogs;
    return dialogs;
}

// "*.txt;*.text" → "*.txt *.text". Windows reads "*.*" as every file, while Qt
// would want a dot in the name, so it becomes "*" and extensionless files show too.
QString qtPatterns(const QString& patterns)
{
    QStringList result;
    for (const QString& part : patterns.split(u';')) {
        const QString pattern = part.trimmed();
        if (pattern == QLatin1String("*.*"))
            result += QStringLiteral("*");
        else if (!pattern.isEmpty())
            result += pattern;
    }
    return result.isEmpty() ? QStringLiteral("*") : result.join(u' ');
}

// A display name that already ends with its patterns ("Excel (*.XLS)") is kept as
// it stands instead of repeating them.
QString qtNameFilter(const QString& name, const QString& patterns)
{
    const QString suffix = u'(' + patterns + u')';
    if (name.isEmpty())
        return suffix;
    if (name.endsWith(suffix))
        return name;
    return name + u' ' + suffix;
}

} // namespace

Dialogs& Dialogs::instance()
{
    std::unique_ptr<Dialogs>& dialogs = installedDialogs();
    if (!dialogs)
        dialogs = std::make_unique<QtDialogs>();
    return *dialogs;
}

namespace {

template <typename Ask>
std::optional<FileChoice> inRememberedFolder(const FileDialogRequest& request, Ask ask)
{
    const QString kind = FileFolders::kindOf(request.filter);
    FileDialogRequest asked = request;
    if (asked.initialDir.isEmpty())
        asked.initialDir = FileFolders::lastFolder(kind);
    std::optional<FileChoice> choice = ask(asked);
    if (choice)
        FileFolders::remember(kind, choice->path);
    return choice;
}

} // namespace

std::optional<FileChoice> Dialogs::openFile(const FileDialogRequest& request)
{
    return inRememberedFolder(request, [this](const FileDialogRequest& asked) { return askOpenFile(asked); });
}

std::optional<FileChoice> Dialogs::saveFile(const FileDialogRequest& request)
{
    return inRememberedFolder(request, [this](const FileDialogRequest& asked) { return askSaveFile(asked); });
}

void Dialogs::install(std::unique_ptr<Dialogs> dialogs)
{
    installedDialogs() = std::move(dialogs);
}

QString Dialogs::unsavedQuestion(const QString& window, const QString& record)
{
    const QString where = record.isEmpty() ? window : QStringLiteral("%1（%2）").arg(window, record);
    return where + QStringLiteral("有未保存的修改，是否保存？");
}

QStringList Dialogs::qtNameFilters(const QString& filter)
{
    QStringList result;
    if (filter.trimmed().isEmpty())
        return result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString patterns = i + 1 < parts.size() ? parts[i + 1] : QString();
        result += qtNameFilter(parts[i].trimmed(), qtPatterns(patterns));
    }
    return result;
}

QString Dialogs::withDefaultExtension(const QString& path, const QString& defaultExt)
{
    QString extension = defaultExt.trimmed();
    while (extension.startsWith(u'.'))
        extension.remove(0, 1);
    const QString fileName = QFileInfo(path).fileName();
    if (extension.isEmpty() || fileName.isEmpty() || fileName.contains(u'.'))
        return path;
    return path + u'.' + extension;
}

FileChoice Dialogs::fileChoiceFor(const QString& path)
{
    return FileChoice{path, QFileInfo(path).fileName()};
}

MsgAnswer Dialogs::firstButtonAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        return MsgAnswer::Ok;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return MsgAnswer::Yes;
    case MsgButtons::RetryCancel:
        return MsgAnswer::Retry;
    case MsgButtons::AbortRetryIgnore:
        return MsgAnswer::Abort;
    }
    return MsgAnswer::Ok;
}
