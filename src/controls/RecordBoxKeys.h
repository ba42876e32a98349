#pragma once

#include <QList>
#include <QObject>

class QLineEdit;

// The keyboard rules of a window's entry boxes, kept in one array: a box selects all its
// text when it gets the focus; Enter moves to the next box; Ctrl+Up and Ctrl+Down (Ctrl
// alone) move to the previous and next box; both wrap round the array. Enter still reaches
// the box, and arrows with any other modifiers do nothing special.
class RecordBoxKeys : public QObject {
    Q_OBJECT

public:
    RecordBoxKeys(const QList<QLineEdit*>& boxes, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusBox(int index);

    QList<QLineEdit*> boxes_;
};
