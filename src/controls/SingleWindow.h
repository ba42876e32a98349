#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

// Every window of the program exists once: opening one that is already loaded brings it
// forward instead of making a second. Windows open modeless; the opener stays usable.
template <typename Window>
Window* showSingle(QPointer<Window>& slot, const std::function<Window*()>& make)
{
    if (!slot) {
        slot = make();
        if (!slot)
            return nullptr;
    }
    slot->show();
    slot->setWindowState(slot->windowState() & ~Qt::WindowMinimized);
    slot->raise();
    slot->activateWindow();
    return slot;
}
