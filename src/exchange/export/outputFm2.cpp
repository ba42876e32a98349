#include "outputFm2.h"

#include "ExportFlow.h"
#include "campaign/ProgramState.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 3600;
constexpr int HeightTwips = 2700;

const ExportFlow::Kind Kinds[3] = {ExportFlow::Kind::ExportDatabase, ExportFlow::Kind::Dbase, ExportFlow::Kind::Excel};

} // namespace

outputFm2::outputFm2(const ProgramState& state, const QString& planNo)
    : FormWindow(QStringLiteral("outputFm2"), QStringLiteral("导出文件"), WidthTwips, HeightTwips),
      state_(state),
      planNo_(planNo)
{
    auto* layout = new QVBoxLayout(this);
    static const char* const captions[3] = {"导入mdb数据库", "导出dbf生成文件", "导出xls生成文件"};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        Command1[i]->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        Command1[i]->setMinimumHeight(Command1[i]->sizeHint().height() + 8);
        layout->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
}

void outputFm2::Command1_Click(int index)
{
    ExportFlow::Options options;
    options.emptyTableNameEndsQuietly = true;
    const ExportFlow::Outcome outcome =
        ExportFlow::run(state_, Kinds[index], ExportRows::planResponders(planNo_), options);
    if (outcome != ExportFlow::Outcome::Cancelled)
        close();
}
