#pragma once

#include "SaveAnswer.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QPrinter;

// The buttons, icon and answer of a message box.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MsgIcon { None, Critical, Question, Exclamation, Information };
enum class MsgAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

// Flags of a file dialog request, with the values the windows pass.
namespace FileDialogFlag {
constexpr int OverwritePrompt = 2;
constexpr int HideReadOnly = 4;
constexpr int PathMustExist = 2048;
constexpr int FileMustExist = 4096;
constexpr int NoReadOnlyReturn = 32768;
} // namespace FileDialogFlag

// What an open or save dialog shows. `filter` pairs display names and patterns,
// every part joined by "|": "所有文件|*.*|mdb文件|*.mdb"; a pattern may list several
// patterns separated by ";". `filterIndex` counts the pairs from 1.
struct FileDialogRequest {
    QString title;
    QString filter;
    int filterIndex = 1;
    QString defaultExt;
    int flags = 0;
    QString initialDir;
    QString fileName;
};

// The file the user chose: the full path, and the file name without its folder.
struct FileChoice {
    QString path;
    QString fileName;
};

// A font as the font dialog presets and returns it; size in points.
struct FontChoice {
    QString name;
    double size = 9;
    bool bold = false;
    bool italic = false;
    bool strikethrough = false;
    bool underline = false;
    QColor color;
};

// A window that shows how far a long piece of work has come, with a Cancel button. It
// closes when the object is destroyed.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // Shows the count done so far and lets pending window events run. False once the user
    // has cancelled.
    virtual bool update(qint64 done) = 0;
};

// Every message box, input box and common dialog of the program goes through this
// service, so tests can answer them (ScriptedDialogs) while the program shows real
// ones (QtDialogs). Cancel is an answer, never an error.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // An empty title shows the program's name.
    virtual MsgAnswer message(const QString& text, const QString& title, MsgButtons buttons,
                              MsgIcon icon) = 0;
    // Asks whether to store changes not yet saved, with the buttons 保存, 放弃 and 取消.
    // Closing the box without a button answers Cancel.
    virtual SaveAnswer askToSave(const QString& text, const QString& title) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    // Without an initial folder, a file dialog opens in the folder last used for files
    // of its kind (see FileFolders), and the folder chosen is remembered.
    std::optional<FileChoice> openFile(const FileDialogRequest& request);
    std::optional<FileChoice> saveFile(const FileDialogRequest& request);
    virtual std::optional<FontChoice> chooseFont(const FontChoice& preset) = 0;
    // Lets the user set up `printer`; false when cancelled (the printer is unchanged).
    virtual bool printerSetup(QPrinter& printer) = 0;
    // A progress window over every window of the program (they wait until it closes).
    // `label` holds "%1" where the count done goes; a total of 0 means the count to come
    // is not known.
    virtual std::unique_ptr<ProgressWindow> progress(const QString& label, const QString& title,
                                                     qint64 total) = 0;

    // The service in use: the Qt dialogs unless another one is installed.
    static Dialogs& instance();
    // Makes `dialogs` the service in use, owned from now on; nullptr goes back to
    // the Qt dialogs.
    static void install(std::unique_ptr<Dialogs> dialogs);

    // "所有文件|*.*|mdb文件|*.mdb" → {"所有文件 (*.*)", "mdb文件 (*.mdb)"}.
    static QStringList qtNameFilters(const QString& filter);

    // The question before unsaved changes are left, naming the window and the record they
    // belong to: "记录客户反馈（客户“北京华信”）有未保存的修改，是否保存？". With several
    // windows open, the user knows which one asks.
    static QString unsavedQuestion(const QString& window, const QString& record);
    // The chosen save path with ".defaultExt" added when its file name has no extension.
    static QString withDefaultExtension(const QString& path, const QString& defaultExt);
    // The choice for a path: the path itself, and its file name without the folder.
    static FileChoice fileChoiceFor(const QString& path);
    // The answer of the first button of a set: Ok, Yes, Retry or Abort.
    static MsgAnswer firstButtonAnswer(MsgButtons buttons);

protected:
    // The dialogs themselves, asked with the folder already chosen.
    virtual std::optional<FileChoice> askOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<FileChoice> askSaveFile(const FileDialogRequest& request) = 0;
};
