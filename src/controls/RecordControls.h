#pragma once

#include <QString>
#include <functional>

class QBoxLayout;
class QLineEdit;
class QPushButton;
class QWidget;

// The controls every record window has under its grid: the position box ("3/7") and the
// four navigation buttons "<<", "<", ">", ">>".
namespace RecordControls {

QLineEdit* positionBox(const QString& objectName, QWidget* parent);

// Makes buttons name(0) … name(3), adds them to the row and calls onClick with the index.
void navigationButtons(QPushButton* (&buttons)[4], const QString& name, QWidget* parent, QBoxLayout* row,
                       const std::function<void(int)>& onClick);

} // namespace RecordControls
