#pragma once

#include <QWidget>

class QTimer;

// The base of every window of the program: its object name and caption, its size in twips,
// placed when it loads (where the user left it last time, centred the first time, always
// entirely on the screen), kept above the main window, its controls named for
// accessibility and its keys (WindowKeys) set when it is first shown, and activated() each
// time the user comes to it from another of the program's windows (not when one of its
// own message boxes closes).
class FormWindow : public QWidget {
    Q_OBJECT

public:
    FormWindow(const QString& objectName, const QString& caption, int widthTwips, int heightTwips,
               QWidget* parent = nullptr);

    // Takes this window as the one the user is on, so its next activation is not counted
    // as coming back to it (a window that refreshed itself as it opened).
    void countAsActive();

    // The object name of the program's main window, above which every other window stays.
    static QString mainWindowName() { return QStringLiteral("mainFm1"); }

signals:
    void activated();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void keepAboveMainWindow();

    bool named_ = false;
};
