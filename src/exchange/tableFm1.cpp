#include "tableFm1.h"

#include "mainFm3.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 4200;
constexpr int HeightTwips = 4200;

} // namespace

tableFm1::tableFm1(mainFm3& importWindow, const FileChoice& file, int button, const QStringList& tableNames)
    : FormWindow(QStringLiteral("tableFm1"), QStringLiteral("选择表"), WidthTwips, HeightTwips, &importWindow),
      importWindow_(importWindow),
      file_(file),
      button_(button)
{
    auto* layout = new QVBoxLayout(this);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->addItems(tableNames);
    layout->addWidget(List1, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    Command2 = new QPushButton(QStringLiteral("确认"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1 = new QPushButton(QStringLiteral("返回"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    row->addWidget(Command2);
    row->addWidget(Command1);
    layout->addLayout(row);

    connect(Command2, &QPushButton::clicked, this, &tableFm1::Command2_Click);
    // A double-click chooses the table, as Enter does through the default button.
    Command2->setDefault(true);
    connect(List1, &QListWidget::itemDoubleClicked, this, &tableFm1::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &tableFm1::Command1_Click);
}

void tableFm1::Command2_Click()
{
    const QList<QListWidgetItem*> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    const QString table = selected.first()->text();
    importWindow_.tableChosen(*this, table);
    close();
}

void tableFm1::Command1_Click()
{
    close();
}

void tableFm1::closeEvent(QCloseEvent* event)
{
    importWindow_.chooserClosed(*this);
    FormWindow::closeEvent(event);
}
