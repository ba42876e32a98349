#include "RecordControls.h"

#include "DataGrid.h"

#include <QBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace RecordControls {

QLineEdit* positionBox(const QString& objectName, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(objectName);
    box->setReadOnly(true);
    box->setAlignment(Qt::AlignCenter);
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000/00000")) + 12);
    box->setProperty("fieldName", QStringLiteral("位置"));
    return box;
}

void navigationButtons(QPushButton* (&buttons)[4], const QString& name, QWidget* parent, QBoxLayout* row,
                       const std::function<void(int)>& onClick)
{
    static const char* const captions[4] = {"<<", "<", ">", ">>"};
    for (int i = 0; i < 4; ++i) {
        buttons[i] = new QPushButton(QString::fromLatin1(captions[i]), parent);
        buttons[i]->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(i));
        buttons[i]->setFixedWidth(buttons[i]->fontMetrics().horizontalAdvance(QStringLiteral(">>")) + 28);
        row->addWidget(buttons[i]);
        QObject::connect(buttons[i], &QPushButton::clicked, parent, [onClick, i] { onClick(i); });
    }
}

GridArea gridWithNavigation(QWidget* parent, const QString& gridName, const QString& positionName,
                            QPushButton* (&buttons)[4], const QString& buttonName, const std::function<void(int)>& onClick)
{
    GridArea made;
    made.area = new QWidget(parent);
    made.layout = new QVBoxLayout(made.area);
    made.layout->setContentsMargins(0, 0, 0, 0);
    made.grid = new DataGrid(made.area);
    made.grid->setObjectName(gridName);
    made.layout->addWidget(made.grid, 1);
    made.row = new QHBoxLayout;
    made.position = positionBox(positionName, made.area);
    made.row->addWidget(made.position);
    navigationButtons(buttons, buttonName, made.area, made.row, onClick);
    made.layout->addLayout(made.row);
    return made;
}

} // namespace RecordControls
