#include "QtDialogs.h"

#include "FontColorDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>
#include <limits>

namespace {

QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton standardButton(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Ok: return QMessageBox::Ok;
    case MsgAnswer::Cancel: return QMessageBox::Cancel;
    case MsgAnswer::Yes: return QMessageBox::Yes;
    case MsgAnswer::No: return QMessageBox::No;
    case MsgAnswer::Retry: return QMessageBox::Retry;
    case MsgAnswer::Abort: return QMessageBox::Abort;
    case MsgAnswer::Ignore: return QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon messageIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return QMessageBox::NoIcon;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// The box closed without a button (window closed, Escape with no escape button):
// the answer that ends the action.
MsgAnswer closedAnswer(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::YesNo: return MsgAnswer::No;
    case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
    default: return MsgAnswer::Cancel;
    }
}

MsgAnswer answerFor(int clicked, MsgButtons buttons)
{
    switch (clicked) {
    case QMessageBox::Ok: return MsgAnswer::Ok;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Retry: return MsgAnswer::Retry;
    case QMessageBox::Abort: return MsgAnswer::Abort;
    case QMessageBox::Ignore: return MsgAnswer::Ignore;
    default: return closedAnswer(buttons);
    }
}

} // namespace

QWidget* QtDialogs::parentWindow()
{
    return QApplication::activeWindow();
}

QString QtDialogs::titleOrProgramName(const QString& title)
{
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

MsgAnswer QtDialogs::message(const QString& text, const QString& title, MsgButtons buttons,
                             MsgIcon icon)
{
    QMessageBox box(messageIcon(icon), titleOrProgramName(title), text, standardButtons(buttons),
                    parentWindow());
    box.setDefaultButton(standardButton(firstButtonAnswer(buttons)));
    box.exec();
    return answerFor(box.standardButton(box.clickedButton()), buttons);
}

SaveAnswer QtDialogs::askToSave(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, titleOrProgramName(title), text, QMessageBox::NoButton, parentWindow());
    QPushButton* save = box.addButton(QStringLiteral("保存"), QMessageBox::AcceptRole);
    QPushButton* discard = box.addButton(QStringLiteral("放弃"), QMessageBox::DestructiveRole);
    QPushButton* cancel = box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    if (box.clickedButton() == discard)
        return SaveAnswer::Discard;
    return SaveAnswer::Cancel;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText)
{
    QInputDialog dialog(parentWindow());
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(titleOrProgramName(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

void QtDialogs::applyRequest(QFileDialog& dialog, const FileDialogRequest& request)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                              ? request.filterIndex - 1
                              : 0;
        dialog.selectNameFilter(filters[index]);
    }
    if (!request.initialDir.isEmpty())
        dialog.setDirectory(request.initialDir);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
}

std::optional<FileChoice> QtDialogs::run(QFileDialog& dialog, const FileDialogRequest& request)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    QString path = dialog.selectedFiles().constFirst();
    if (dialog.acceptMode() == QFileDialog::AcceptSave)
        path = withDefaultExtension(path, request.defaultExt);
    return fileChoiceFor(path);
}

std::optional<FileChoice> QtDialogs::askOpenFile(const FileDialogRequest& request)
{
    QFileDialog dialog(parentWindow(), QStringLiteral("打开"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Whatever the flags say, a file to open has to be there.
    dialog.setFileMode(QFileDialog::ExistingFile);
    applyRequest(dialog, request);
    return run(dialog, request);
}

std::optional<FileChoice> QtDialogs::askSaveFile(const FileDialogRequest& request)
{
    QFileDialog dialog(parentWindow(), QStringLiteral("另存为"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    applyRequest(dialog, request);
    // Given to the dialog too (it drops a leading dot), so the overwrite question
    // names the file really written.
    dialog.setDefaultSuffix(request.defaultExt.trimmed());
    // Some exports add a sheet to an existing workbook: they ask no overwrite question.
    const bool askBeforeOverwrite = request.flags & FileDialogFlag::OverwritePrompt;
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !askBeforeOverwrite);
    return run(dialog, request);
}

std::optional<FontChoice> QtDialogs::chooseFont(const FontChoice& preset)
{
    FontColorDialog dialog(preset, parentWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}

bool QtDialogs::printerSetup(QPrinter& printer)
{
    QPrintDialog dialog(&printer, parentWindow());
    dialog.setWindowTitle(QStringLiteral("打印设置"));
    return dialog.exec() == QDialog::Accepted;
}

namespace {

// Qt's progress dialog over the whole program, shown only when the work lasts long enough
// to be noticed, so a quick load does not flash a window.
class QtProgress : public ProgressWindow {
public:
    QtProgress(const QString& label, const QString& title, qint64 total)
        : label_(label), total_(total), dialog_(label.arg(0), QStringLiteral("取消"), 0, 0, QApplication::activeWindow())
    {
        dialog_.setWindowTitle(title);
        dialog_.setWindowModality(Qt::ApplicationModal);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setMinimumDuration(ShowAfterMs);
        dialog_.setMinimumWidth(320);
        if (total_ > 0 && total_ <= std::numeric_limits<int>::max())
            dialog_.setMaximum(int(total_));
        started_.start();
    }

    bool update(qint64 done) override
    {
        // A big list reports thousands of times: showing each count would cost more than a
        // tenth of the work, and nobody reads more than a few counts a second.
        if (shown_.isValid() && shown_.elapsed() < RefreshMs)
            return !dialog_.wasCanceled();
        shown_.start();
        dialog_.setLabelText(label_.arg(done));
        if (dialog_.maximum() > 0)
            dialog_.setValue(int(std::min<qint64>(done, dialog_.maximum())));
        else if (!dialog_.isVisible() && started_.elapsed() >= ShowAfterMs)
            dialog_.show();
        // Until the dialog shows (and, modal, keeps the user out of the other windows) the
        // user's clicks wait: another window's save must not land inside the running work.
        if (dialog_.isVisible())
            QCoreApplication::processEvents();
        else
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !dialog_.wasCanceled();
    }

private:
    static constexpr int ShowAfterMs = 400;
    static constexpr int RefreshMs = 50;
    QString label_;
    qint64 total_;
    QProgressDialog dialog_;
    QElapsedTimer started_;
    QElapsedTimer shown_;   // since the count shown last
};

} // namespace

std::unique_ptr<ProgressWindow> QtDialogs::progress(const QString& label, const QString& title, qint64 total)
{
    return std::make_unique<QtProgress>(label, title, total);
}
