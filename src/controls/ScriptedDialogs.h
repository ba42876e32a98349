#pragma once

#include "Dialogs.h"

#include <QList>
#include <QPageSize>
#include <QQueue>
#include <functional>

// One dialog the program asked for, as the test sees it afterwards. `kind` is
// "message", "askToSave", "input", "openFile", "saveFile", "font", "printerSetup" or "progress"; a font
// request puts the preset font's name in `text` and the whole preset in `font`, a progress
// window its label.
struct DialogRecord {
    QString kind;
    QString text;
    QString title;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    QString defaultText;
    FileDialogRequest file;
    FontChoice font;
};

// Answers dialogs from queues a test fills beforehand and logs every request.
// With nothing queued, a message box gets its first button (Ok, Yes, Retry, Abort)
// and every other dialog is cancelled (askToSave answers Cancel). A queued save path gets the request's default
// extension when it has none, as the real dialog adds it. A progress window runs to the
// end unless a cancel was queued for it.
class ScriptedDialogs : public Dialogs {
public:
    // Installs a fresh ScriptedDialogs as the service in use and returns it.
    static ScriptedDialogs& installNew();

    void queueMessage(MsgAnswer answer);
    void queueSaveAnswer(SaveAnswer answer);
    void queueInput(std::optional<QString> answer);
    void queueOpenFile(std::optional<FileChoice> answer);
    void queueSaveFile(std::optional<FileChoice> answer);
    void queueFont(std::optional<FontChoice> answer);
    void queuePrinterSetup(bool accepted);
    // The user picks `paper` in the printer set-up and presses OK.
    void queuePrinterSetupPaper(const QPageSize& paper);
    // The next progress window is cancelled by the user once the count reaches `done`;
    // nullopt lets it run to the end.
    void queueProgressCancel(std::optional<qint64> done);

    // Called with the count at every update of a progress window, so a test can look at
    // the windows while the work runs.
    std::function<void(qint64 done)> onProgress;
    // The counts the last progress window was shown.
    const QList<qint64>& progressCounts() const { return progressCounts_; }

    // True while some queued answer has not been asked for: the program showed
    // fewer dialogs than the test expected.
    bool hasPendingAnswers() const;

    const QList<DialogRecord>& log() const;
    void clearLog();

    MsgAnswer message(const QString& text, const QString& title, MsgButtons buttons,
                      MsgIcon icon) override;
    SaveAnswer askToSave(const QString& text, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    std::optional<FontChoice> chooseFont(const FontChoice& preset) override;
    bool printerSetup(QPrinter& printer) override;
    std::unique_ptr<ProgressWindow> progress(const QString& label, const QString& title,
                                             qint64 total) override;

protected:
    std::optional<FileChoice> askOpenFile(const FileDialogRequest& request) override;
    std::optional<FileChoice> askSaveFile(const FileDialogRequest& request) override;

private:
    // The next queued answer, or `fallback` when the queue is empty.
    template <typename T>
    static T nextOr(QQueue<T>& queue, T fallback)
    {
        return queue.isEmpty() ? fallback : queue.dequeue();
    }

    QQueue<MsgAnswer> messages_;
    QQueue<SaveAnswer> saveAnswers_;
    QQueue<std::optional<QString>> inputs_;
    QQueue<std::optional<FileChoice>> openFiles_;
    QQueue<std::optional<FileChoice>> saveFiles_;
    QQueue<std::optional<FontChoice>> fonts_;
    QQueue<std::pair<bool, std::optional<QPageSize>>> printerSetups_;
    QQueue<std::optional<qint64>> progressCancels_;
    QList<qint64> progressCounts_;
    QList<DialogRecord> log_;
};
