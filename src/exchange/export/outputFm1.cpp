#include "outputFm1.h"

#include "campaign/ProgramState.h"

#include "ExportFlow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 5400;
constexpr int HeightTwips = 3900;

QRadioButton* option(QGroupBox* frame, const QString& name, const QString& caption)
{
    auto* button = new QRadioButton(caption, frame);
    button->setObjectName(name);
    frame->layout()->addWidget(button);
    return button;
}

ExportFlow::Kind kindOf(const QString& fileKind)
{
    if (fileKind == QLatin1String("mdb"))
        return ExportFlow::Kind::ExportDatabase;
    if (fileKind == QLatin1String("dbf"))
        return ExportFlow::Kind::Dbase;
    if (fileKind == QLatin1String("xls"))
        return ExportFlow::Kind::Excel;
    return ExportFlow::Kind::None;
}

} // namespace

outputFm1::outputFm1(const ProgramState& state)
    : FormWindow(QStringLiteral("outputFm1"), QStringLiteral("客户数据导出"), WidthTwips, HeightTwips), state_(state)
{
    auto* layout = new QVBoxLayout(this);
    auto* frames = new QHBoxLayout;
    Frame1 = new QGroupBox(QStringLiteral("导出记录"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    new QVBoxLayout(Frame1);
    Option1 = option(Frame1, QStringLiteral("Option1"), QStringLiteral("全部导出"));
    Option2 = option(Frame1, QStringLiteral("Option2"), QStringLiteral("导出有反馈的记录"));
    Frame2 = new QGroupBox(QStringLiteral("文件类型"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    new QVBoxLayout(Frame2);
    Option3 = option(Frame2, QStringLiteral("Option3"), QStringLiteral("生成mdb文件"));
    Option4 = option(Frame2, QStringLiteral("Option4"), QStringLiteral("生成dbf文件"));
    Option5 = option(Frame2, QStringLiteral("Option5"), QStringLiteral("生成xls文件"));
    frames->addWidget(Frame1);
    frames->addWidget(Frame2);
    layout->addLayout(frames);
    // The choices most exports take: every target, to a workbook.
    Option1->setChecked(true);
    Option5->setChecked(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(QStringLiteral("返回"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    connect(Command1, &QPushButton::clicked, this, &outputFm1::Command1_Click);
    Command1->setDefault(true);   // Enter exports, as in any dialog
    connect(Command2, &QPushButton::clicked, this, &outputFm1::Command2_Click);
}

void outputFm1::Command1_Click()
{
    rowSelection_ = ExportRows::allTargets(Option1->isChecked());
    fileKind_ = Option3->isChecked()   ? QStringLiteral("mdb")
                : Option4->isChecked() ? QStringLiteral("dbf")
                : Option5->isChecked() ? QStringLiteral("xls")
                                       : QString();
    outputFile();
    close();
}

void outputFm1::Command2_Click()
{
    close();
}

void outputFm1::outputFile()
{
    ExportFlow::run(state_, kindOf(fileKind_), rowSelection_);
}
