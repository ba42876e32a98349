#include "WindowKeys.h"

#include "DataGrid.h"

#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

#include <limits>

namespace WindowKeys {

namespace {

QString captionOf(const QPushButton* button)
{
    return button->text().remove(QLatin1Char('&')).trimmed();
}

bool usable(const QPushButton* button)
{
    return button->isVisible() && button->isEnabled();
}

QRect rectIn(QWidget* window, const QWidget* widget)
{
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

QPushButton* nearestBelowFocus(QWidget* window, const QList<QPushButton*>& buttons)
{
    const QWidget* focus = window->focusWidget();
    if (!focus || buttons.size() == 1)
        return buttons.constFirst();
    const int focusBottom = rectIn(window, focus).bottom();
    QPushButton* nearest = nullptr;
    int nearestDistance = std::numeric_limits<int>::max();
    for (QPushButton* button : buttons) {
        const int distance = rectIn(window, button).top() - focusBottom;
        if (distance >= 0 && distance < nearestDistance) {
            nearest = button;
            nearestDistance = distance;
        }
    }
    return nearest ? nearest : buttons.constFirst();
}

void addShortcut(QWidget* window, const QKeySequence& keys, const QStringList& captions)
{
    auto* shortcut = new QShortcut(keys, window);
    QObject::connect(shortcut, &QShortcut::activated, window, [window, captions] { press(window, captions); });
}

// Delete belongs to the boxes while one has the focus: only a grid passes it to "删除",
// and only to the one standing under that grid, so Delete in the main window's daily rows
// never deletes the plan whose button stands above them.
void addGridDelete(QWidget* window)
{
    for (DataGrid* grid : window->findChildren<DataGrid*>()) {
        auto* shortcut = new QShortcut(QKeySequence(Qt::Key_Delete), grid, nullptr, nullptr, Qt::WidgetShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, [window, grid] {
            if (QPushButton* button = buttonUnder(window, grid, QStringLiteral("删除")))
                button->click();
        });
    }
}

} // namespace

QPushButton* buttonUnder(QWidget* window, const QWidget* widget, const QString& caption)
{
    const QRect above = rectIn(window, widget);
    QPushButton* nearest = nullptr;
    int nearestDistance = std::numeric_limits<int>::max();
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        const QRect place = rectIn(window, button);
        const int distance = place.top() - above.bottom();
        const bool under = distance >= 0 && place.right() >= above.left() && place.left() <= above.right();
        if (usable(button) && captionOf(button) == caption && under && distance < nearestDistance) {
            nearest = button;
            nearestDistance = distance;
        }
    }
    return nearest;
}

QPushButton* buttonFor(QWidget* window, const QStringList& captions)
{
    const QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
    for (const QString& caption : captions) {
        QList<QPushButton*> matching;
        for (QPushButton* button : buttons) {
            if (usable(button) && captionOf(button) == caption)
                matching << button;
        }
        if (!matching.isEmpty())
            return nearestBelowFocus(window, matching);
    }
    return nullptr;
}

bool press(QWidget* window, const QStringList& captions)
{
    QPushButton* button = buttonFor(window, captions);
    if (!button)
        return false;
    button->click();
    return true;
}

bool pressForEscape(QWidget* window)
{
    return press(window, {QStringLiteral("返回")});
}

bool pressForEnter(QWidget* window)
{
    auto* focused = qobject_cast<QPushButton*>(window->focusWidget());
    if (focused && usable(focused)) {
        focused->click();
        return true;
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->isDefault() && usable(button)) {
            button->click();
            return true;
        }
    }
    return false;
}

void install(QWidget* window)
{
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_S), {QStringLiteral("保存"), QStringLiteral("保存定义")});
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_F), {QStringLiteral("查寻")});
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_P), {QStringLiteral("打印")});
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_N),
                {QStringLiteral("添加"), QStringLiteral("创建"), QStringLiteral("添加新客户")});
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_PageUp), {QStringLiteral("<")});
    addShortcut(window, QKeySequence(Qt::CTRL | Qt::Key_PageDown), {QStringLiteral(">")});
    addGridDelete(window);
}

} // namespace WindowKeys
