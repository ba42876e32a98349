#include "F5.h"

#include "SplashPicture.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 7800;
constexpr int HeightTwips = 4800;

} // namespace

F5::F5()
    : FormWindow(QStringLiteral("F5"), QStringLiteral("Tembra咨询中心"), WidthTwips, HeightTwips)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setPixmap(splashPicture(size()));
    Picture1->setProperty("fieldName", QStringLiteral("Marquel"));
    Picture1->installEventFilter(this);
    layout->addWidget(Picture1);

    Label10 = addLabel(QStringLiteral("Label10"), QStringLiteral("Marquel 营销活动评估系统"), 36, 22, true);
    Label6 = addLabel(QStringLiteral("Label6"), QStringLiteral("邮箱：service@tembra.cn"), 150, 10, false);
    Label5 = addLabel(QStringLiteral("Label5"), QStringLiteral("网址：www.tembra.cn"), 176, 10, false);
    Label3 = addLabel(QStringLiteral("Label3"), QStringLiteral("电话：010-6552 8800"), 202, 10, false);
    Label1 = addLabel(QStringLiteral("Label1"), QStringLiteral("Tembra咨询中心 · 直复营销，用数据说话"), 262, 9, false);
    setFixedSize(size());
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("单击进入系统"));
}

QLabel* F5::addLabel(const QString& name, const QString& text, int top, int pointSize, bool bold)
{
    auto* label = new QLabel(text, Picture1);
    label->setObjectName(name);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->move(28, top);
    label->adjustSize();
    return label;
}

void F5::Form_Click()
{
    emit continueRequested();
    close();
}

void F5::Picture1_Click()
{
    Form_Click();
}

void F5::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Form_Click();
}

// A key does what a click does; a modifier pressed alone is not yet a key.
void F5::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        FormWindow::keyPressEvent(event);
        return;
    default:
        Form_Click();
    }
}

bool F5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Picture1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Picture1_Click();
        return true;
    }
    return FormWindow::eventFilter(watched, event);
}
