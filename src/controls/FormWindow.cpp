#include "FormWindow.h"

#include "Accessibility.h"
#include "TabOrder.h"
#include "WindowKeys.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace {

// How long a window manager may take to frame a newly mapped window.
constexpr int FrameArrivalMs = 400;

// The program's window that was active last; dialogs are not counted, so closing a
// message box does not count as coming back to a window.
QPointer<FormWindow> lastActiveForm;

// The main window is an ordinary top-level window; every other window is a dialog of it, as
// an X11 window manager keeps a window above another only when it is marked transient for it
// (WM_TRANSIENT_FOR), which Qt writes for dialog windows alone. They keep their minimise and
// maximise buttons.
Qt::WindowFlags flagsFor(const QString& objectName)
{
    if (objectName == FormWindow::mainWindowName())
        return Qt::Window;
    return Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
           | Qt::WindowCloseButtonHint;
}

FormWindow* shownMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* form = qobject_cast<FormWindow*>(widget);
        if (form && form->isVisible() && form->objectName() == FormWindow::mainWindowName())
            return form;
    }
    return nullptr;
}

} // namespace

FormWindow::FormWindow(const QString& objectName, const QString& caption, int widthTwips, int heightTwips,
                       QWidget* parent)
    : QWidget(parent, flagsFor(objectName))
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
        WindowPlacement::placeOnFirstShow(this);
        Accessibility::nameControls(this);
        WindowKeys::install(this);
        TabOrder::followLayouts(this);
        // Once the window manager has put its frame round it, the window is checked again: an
        // X11 window manager tells the frame's size only after the window is mapped, so the
        // check runs once more a little later.
        QTimer::singleShot(0, this, [this] {
            WindowPlacement::keepOnScreen(this);
            if (windowHandle())
                connect(windowHandle(), &QWindow::screenChanged, this, [this] { WindowPlacement::keepOnScreen(this); });
        });
        QTimer::singleShot(FrameArrivalMs, this, [this] { WindowPlacement::keepOnScreen(this); });
    }
    keepAboveMainWindow();
    QWidget::showEvent(event);
}

// Other windows stay modeless but above the main window, so a click on the main window
// does not hide them behind it.
void FormWindow::keepAboveMainWindow()
{
    if (objectName() == mainWindowName() || !windowHandle() || windowHandle()->transientParent())
        return;
    FormWindow* main = shownMainWindow();
    if (main && main->windowHandle())
        windowHandle()->setTransientParent(main->windowHandle());
}

void FormWindow::keyPressEvent(QKeyEvent* event)
{
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && event->key() == Qt::Key_Escape && WindowKeys::pressForEscape(this))
        return;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && WindowKeys::pressForEnter(this))
        return;
    QWidget::keyPressEvent(event);
}
