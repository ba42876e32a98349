#include "NamedWidgets.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace NamedWidgets {

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QLineEdit* box(const QString& name, QWidget* parent)
{
    auto* b = new QLineEdit(parent);
    b->setObjectName(name);
    return b;
}

QRadioButton* option(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QFrame* panel(const QString& name, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

} // namespace NamedWidgets
