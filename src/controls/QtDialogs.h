#pragma once

#include "Dialogs.h"

class QFileDialog;
class QWidget;

// The dialogs the user sees: Qt's message box, input dialog, file dialog, font
// dialog and print dialog, each modal over the active window. The Chinese texts of
// the standard buttons come from the Qt translations the program loads.
class QtDialogs : public Dialogs {
public:
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
    static QWidget* parentWindow();
    static QString titleOrProgramName(const QString& title);
    static void applyRequest(QFileDialog& dialog, const FileDialogRequest& request);
    static std::optional<FileChoice> run(QFileDialog& dialog, const FileDialogRequest& request);
};
