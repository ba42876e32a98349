#include "FormWindow.h"

#include "Accessibility.h"
#include "WindowPlacement.h"

#include <QEvent>
#include <QPointer>

namespace {

// The program's window that was active last; dialogs are not counted, so closing a
// message box does not count as coming back to a window.
QPointer<FormWindow> lastActiveForm;

} // namespace

FormWindow::FormWindow(const QString& objectName, const QString& caption, int widthTwips, int heightTwips,
                       QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    WindowPlacement::resizeFromTwips(this, widthTwips, heightTwips);
}

bool FormWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && lastActiveForm != this) {
        lastActiveForm = this;
        const bool handled = QWidget::event(event);
        emit activated();
        return handled;
    }
    return QWidget::event(event);
}

void FormWindow::countAsActive()
{
    lastActiveForm = this;
}

void FormWindow::showEvent(QShowEvent* event)
{
    if (!named_) {
        named_ = true;
        WindowPlacement::centreOnScreen(this);
        Accessibility::nameControls(this);
    }
    QWidget::showEvent(event);
}
