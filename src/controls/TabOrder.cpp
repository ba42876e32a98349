#include "TabOrder.h"

#include <QGridLayout>
#include <QLayout>
#include <QSplitter>
#include <QWidget>

#include <algorithm>
#include <numeric>

namespace TabOrder {

namespace {

void collectWidget(QWidget* widget, QList<QWidget*>& chain);

// The items of a layout as they stand: a grid's row by row, left to right; a box's in order.
QList<QLayoutItem*> itemsInPlace(QLayout* layout)
{
    QList<QLayoutItem*> items;
    for (int i = 0; i < layout->count(); ++i)
        items << layout->itemAt(i);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        auto place = [grid](int index) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            return std::pair(row, column);
        };
        QList<int> order(items.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&place](int a, int b) { return place(a) < place(b); });
        QList<QLayoutItem*> sorted;
        for (int index : order)
            sorted << items[index];
        return sorted;
    }
    return items;
}

void collectLayout(QLayout* layout, QList<QWidget*>& chain)
{
    for (QLayoutItem* item : itemsInPlace(layout)) {
        if (item->widget())
            collectWidget(item->widget(), chain);
        else if (item->layout())
            collectLayout(item->layout(), chain);
    }
}

void collectWidget(QWidget* widget, QList<QWidget*>& chain)
{
    if (widget->isWindow())
        return;
    if (widget->focusPolicy() & Qt::TabFocus) {
        chain << widget;   // a control that takes the focus itself (a box, a grid, a button)
        return;
    }
    if (auto* splitter = qobject_cast<QSplitter*>(widget)) {
        for (int i = 0; i < splitter->count(); ++i)
            collectWidget(splitter->widget(i), chain);
    } else if (widget->layout()) {
        collectLayout(widget->layout(), chain);
    }
}

} // namespace

void followLayouts(QWidget* window)
{
    QList<QWidget*> chain;
    if (window->layout())
        collectLayout(window->layout(), chain);
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

} // namespace TabOrder
