#pragma once

#include <QString>
#include <functional>

class DataGrid;
class QBoxLayout;
class QHBoxLayout;
class QLineEdit;
class QVBoxLayout;
class QPushButton;
class QWidget;

// The controls every record window has under its grid: the position box ("3/7") and the
// four navigation buttons "<<", "<", ">", ">>".
namespace RecordControls {

QLineEdit* positionBox(const QString& objectName, QWidget* parent);

// Makes buttons name(0) … name(3), adds them to the row and calls onClick with the index.
void navigationButtons(QPushButton* (&buttons)[4], const QString& name, QWidget* parent, QBoxLayout* row,
                       const std::function<void(int)>& onClick);

// A grid over a row holding its position box and navigation buttons, in an area of its own.
// The caller adds its further buttons to `row`.
struct GridArea {
    QWidget* area = nullptr;
    QVBoxLayout* layout = nullptr;
    DataGrid* grid = nullptr;
    QLineEdit* position = nullptr;
    QHBoxLayout* row = nullptr;
};
GridArea gridWithNavigation(QWidget* parent, const QString& gridName, const QString& positionName,
                            QPushButton* (&buttons)[4], const QString& buttonName, const std::function<void(int)>& onClick);

} // namespace RecordControls
