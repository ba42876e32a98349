#pragma once

#include "controls/FormWindow.h"

class QLabel;

// The splash the program starts with. It stays until it is clicked (or a key is pressed);
// the click shows the main window and closes the splash.
class F5 : public FormWindow {
    Q_OBJECT

public:
    F5();

    void Form_Click();
    void Picture1_Click();

    QLabel* Picture1 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label1 = nullptr;

signals:
    // The user clicked: the main window is to be shown.
    void continueRequested();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* addLabel(const QString& name, const QString& text, int top, int pointSize, bool bold);
};
