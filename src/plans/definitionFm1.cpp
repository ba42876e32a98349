#include "definitionFm1.h"

#include "core/Connection.h"

#include "campaign/ProductNames.h"
#include "campaign/ProgramState.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "core/Recordset.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 5400;
constexpr int HeightTwips = 4200;

void showRefusal(const DbError& error)
{
    Dialogs::instance().message(error.description(), QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace

definitionFm1::definitionFm1(ProgramState& state)
    : FormWindow(QStringLiteral("definitionFm1"), QStringLiteral("产品对照定义"), WidthTwips, HeightTwips), state_(state)
{
    auto* layout = new QVBoxLayout(this);
    auto* boxes = new QGridLayout;
    for (int k = 0; k < 5; ++k) {
        Label1[k] = new QLabel(QStringLiteral("产   品%1").arg(k + 1), this);
        Label1[k]->setObjectName(QStringLiteral("Label1(%1)").arg(k));
        Text1[k] = new QLineEdit(this);
        Text1[k]->setObjectName(QStringLiteral("Text1(%1)").arg(k));
        Label1[k]->setBuddy(Text1[k]);
        boxes->addWidget(Label1[k], k, 0);
        boxes->addWidget(Text1[k], k, 1);
    }
    layout->addLayout(boxes);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    // Where the names went once saved: the window's status line.
    statusLine = new QLabel(this);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    buttons->addWidget(statusLine, 1);
    Command2 = new QPushButton(QStringLiteral("保存定义"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1 = new QPushButton(QStringLiteral("返回"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    layout->addLayout(buttons);
    connect(Command2, &QPushButton::clicked, this, &definitionFm1::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &definitionFm1::Command1_Click);

    displayRecord();
}

void definitionFm1::displayRecord()
{
    QStringList names;
    try {
        names = ProductNames::load(state_.store());
    } catch (const DbError& error) {
        showRefusal(error);
    }
    for (int k = 0; k < 5; ++k)
        Text1[k]->setText(names.value(k));
}

void definitionFm1::writeRecord()
{
    QStringList names;
    for (int k = 0; k < 5; ++k)
        names << Text1[k]->text();
    ProductNames::store(state_, names);
}

void definitionFm1::Command2_Click()
{
    try {
        writeRecord();
        statusLine->setText(QStringLiteral("产品名称已保存到数据库“%1”。").arg(state_.connection()->displayName()));
    } catch (const DbError& error) {
        statusLine->clear();
        showRefusal(error);
    }
}

void definitionFm1::Command1_Click()
{
    close();
}
