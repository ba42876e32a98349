#pragma once

#include <QString>

class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Controls made with their object name, the name a window's handlers, its tests and the
// accessibility naming know them by.
namespace NamedWidgets {

QPushButton* button(const QString& name, const QString& caption, QWidget* parent);
QLineEdit* box(const QString& name, QWidget* parent);
QRadioButton* option(const QString& name, const QString& caption, QWidget* parent);
QFrame* panel(const QString& name, QWidget* parent);   // a framed area

} // namespace NamedWidgets
