#pragma once

#include <QWidget>

// The base of every window of the program: its object name and caption, its size in twips,
// centred on the screen when it loads, its controls named for accessibility when it is
// first shown, and activated() each time the user comes to it from another of the
// program's windows (not when one of its own message boxes closes).
class FormWindow : public QWidget {
    Q_OBJECT

public:
    FormWindow(const QString& objectName, const QString& caption, int widthTwips, int heightTwips,
               QWidget* parent = nullptr);

    // Takes this window as the one the user is on, so its next activation is not counted
    // as coming back to it (a window that refreshed itself as it opened).
    void countAsActive();

signals:
    void activated();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    bool named_ = false;
};
