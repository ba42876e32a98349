#include "ScriptedDialogs.h"

#include <QPrinter>

ScriptedDialogs& ScriptedDialogs::installNew()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& installed = *dialogs;
    install(std::move(dialogs));
    return installed;
}

void ScriptedDialogs::queueMessage(MsgAnswer answer)
{
    messages_.enqueue(answer);
}

void ScriptedDialogs::queueSaveAnswer(SaveAnswer answer)
{
    saveAnswers_.enqueue(answer);
}

void ScriptedDialogs::queueInput(std::optional<QString> answer)
{
    inputs_.enqueue(std::move(answer));
}

void ScriptedDialogs::queueOpenFile(std::optional<FileChoice> answer)
{
    openFiles_.enqueue(std::move(answer));
}

void ScriptedDialogs::queueSaveFile(std::optional<FileChoice> answer)
{
    saveFiles_.enqueue(std::move(answer));
}

void ScriptedDialogs::queueFont(std::optional<FontChoice> answer)
{
    fonts_.enqueue(std::move(answer));
}

void ScriptedDialogs::queuePrinterSetup(bool accepted)
{
    printerSetups_.enqueue({accepted, std::nullopt});
}

void ScriptedDialogs::queuePrinterSetupPaper(const QPageSize& paper)
{
    printerSetups_.enqueue({true, paper});
}

void ScriptedDialogs::queueProgressCancel(std::optional<qint64> done)
{
    progressCancels_.enqueue(done);
}

bool ScriptedDialogs::hasPendingAnswers() const
{
    return !messages_.isEmpty() || !saveAnswers_.isEmpty() || !inputs_.isEmpty() || !openFiles_.isEmpty()
        || !saveFiles_.isEmpty() || !fonts_.isEmpty() || !printerSetups_.isEmpty()
        || !progressCancels_.isEmpty();
}

const QList<DialogRecord>& ScriptedDialogs::log() const
{
    return log_;
}

void ScriptedDialogs::clearLog()
{
    log_.clear();
}

MsgAnswer ScriptedDialogs::message(const QString& text, const QString& title,
                                   MsgButtons buttons, MsgIcon icon)
{
    DialogRecord record;
    record.kind = QStringLiteral("message");
    record.text = text;
    record.title = title;
    record.buttons = buttons;
    record.icon = icon;
    log_.append(record);
    return nextOr(messages_, firstButtonAnswer(buttons));
}

SaveAnswer ScriptedDialogs::askToSave(const QString& text, const QString& title)
{
    DialogRecord record;
    record.kind = QStringLiteral("askToSave");
    record.text = text;
    record.title = title;
    log_.append(record);
    return nextOr(saveAnswers_, SaveAnswer::Cancel);
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText)
{
    DialogRecord record;
    record.kind = QStringLiteral("input");
    record.text = prompt;
    record.title = title;
    record.defaultText = defaultText;
    log_.append(record);
    return nextOr<std::optional<QString>>(inputs_, std::nullopt);
}

std::optional<FileChoice> ScriptedDialogs::askOpenFile(const FileDialogRequest& request)
{
    DialogRecord record;
    record.kind = QStringLiteral("openFile");
    record.title = request.title;
    record.file = request;
    log_.append(record);
    return nextOr<std::optional<FileChoice>>(openFiles_, std::nullopt);
}

std::optional<FileChoice> ScriptedDialogs::askSaveFile(const FileDialogRequest& request)
{
    DialogRecord record;
    record.kind = QStringLiteral("saveFile");
    record.title = request.title;
    record.file = request;
    log_.append(record);
    std::optional<FileChoice> answer = nextOr<std::optional<FileChoice>>(saveFiles_, std::nullopt);
    if (!answer)
        return std::nullopt;
    // A queued path is what the user typed: the default extension is added to it
    // as the real dialog does.
    return fileChoiceFor(withDefaultExtension(answer->path, request.defaultExt));
}

std::optional<FontChoice> ScriptedDialogs::chooseFont(const FontChoice& preset)
{
    DialogRecord record;
    record.kind = QStringLiteral("font");
    record.text = preset.name;
    record.font = preset;
    log_.append(record);
    return nextOr<std::optional<FontChoice>>(fonts_, std::nullopt);
}

bool ScriptedDialogs::printerSetup(QPrinter& printer)
{
    DialogRecord record;
    record.kind = QStringLiteral("printerSetup");
    log_.append(record);
    const auto [accepted, paper] = nextOr(printerSetups_, std::pair<bool, std::optional<QPageSize>>{false, std::nullopt});
    if (accepted && paper)
        printer.setPageSize(*paper);
    return accepted;
}

namespace {

// A progress window nobody sees: it notes the counts and cancels at the queued count.
class ScriptedProgress : public ProgressWindow {
public:
    ScriptedProgress(std::optional<qint64> cancelAt, QList<qint64>& counts,
                     std::function<void(qint64)> observer)
        : cancelAt_(cancelAt), counts_(counts), observer_(std::move(observer))
    {
        counts_.clear();
    }

    bool update(qint64 done) override
    {
        counts_.append(done);
        if (observer_)
            observer_(done);
        if (cancelAt_ && done >= *cancelAt_)
            cancelled_ = true;
        return !cancelled_;
    }

private:
    std::optional<qint64> cancelAt_;
    QList<qint64>& counts_;
    std::function<void(qint64)> observer_;
    bool cancelled_ = false;
};

} // namespace

std::unique_ptr<ProgressWindow> ScriptedDialogs::progress(const QString& label, const QString& title,
                                                          qint64)
{
    DialogRecord record;
    record.kind = QStringLiteral("progress");
    record.text = label;
    record.title = title;
    log_.append(record);
    return std::make_unique<ScriptedProgress>(nextOr<std::optional<qint64>>(progressCancels_, std::nullopt),
                                              progressCounts_, onProgress);
}
