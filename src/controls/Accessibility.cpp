#include "Accessibility.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QWidget>

namespace Accessibility {

namespace {

QString withoutMnemonic(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
    text.remove(QRegularExpression(QStringLiteral("\\(&?[A-Za-z]\\)$")));
    return text.trimmed();
}

QString captionOf(const QWidget* widget, const QHash<const QWidget*, QString>& labelCaptions)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget); button && !button->text().isEmpty())
        return withoutMnemonic(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(widget); label && !label->text().trimmed().isEmpty())
        return withoutMnemonic(label->text());
    if (const auto* group = qobject_cast<const QGroupBox*>(widget); group && !group->title().isEmpty())
        return withoutMnemonic(group->title());
    if (const auto it = labelCaptions.constFind(widget); it != labelCaptions.constEnd())
        return *it;
    const QVariant field = widget->property("fieldName");
    if (field.isValid() && !field.toString().isEmpty())
        return field.toString();
    return widget->objectName();
}

} // namespace

void nameControls(QWidget* window)
{
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    QHash<const QWidget*, QString> labelCaptions;
    for (const QWidget* w : widgets)
        if (const auto* label = qobject_cast<const QLabel*>(w); label && label->buddy())
            labelCaptions.insert(label->buddy(), withoutMnemonic(label->text()));

    for (QWidget* w : widgets) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        if (w->accessibleDescription().isEmpty())
            w->setAccessibleDescription(w->objectName());
        if (w->accessibleName().isEmpty())
            w->setAccessibleName(captionOf(w, labelCaptions));
    }
    if (window->accessibleName().isEmpty())
        window->setAccessibleName(window->windowTitle());
    if (window->accessibleDescription().isEmpty())
        window->setAccessibleDescription(window->objectName());
}

} // namespace Accessibility
