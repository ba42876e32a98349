#include "RecordBoxKeys.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

RecordBoxKeys::RecordBoxKeys(const QList<QLineEdit*>& boxes, QObject* parent)
    : QObject(parent), boxes_(boxes)
{
    for (QLineEdit* box : boxes_)
        box->installEventFilter(this);
}

void RecordBoxKeys::focusBox(int index)
{
    const int count = int(boxes_.size());
    boxes_[((index % count) + count) % count]->setFocus(Qt::TabFocusReason);
}

bool RecordBoxKeys::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = qobject_cast<QLineEdit*>(watched);
    const int index = int(boxes_.indexOf(box));
    if (index < 0)
        return QObject::eventFilter(watched, event);

    if (event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor, not before it.
        QTimer::singleShot(0, box, [box] { box->selectAll(); });
        box->selectAll();
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusBox(index + 1);
            return false;   // the box still sees its Enter
        }
        if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_Up) {
            focusBox(index - 1);
            return true;
        }
        if (modifiers == Qt::ControlModifier && key->key() == Qt::Key_Down) {
            focusBox(index + 1);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
