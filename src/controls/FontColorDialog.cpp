#include "FontColorDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QFont qtFont(const FontChoice& choice)
{
    QFont font(choice.name);
    if (choice.size > 0)
        font.setPointSizeF(choice.size);
    font.setBold(choice.bold);
    font.setItalic(choice.italic);
    font.setStrikeOut(choice.strikethrough);
    font.setUnderline(choice.underline);
    return font;
}

} // namespace

FontColorDialog::FontColorDialog(const FontChoice& preset, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("字体"));
    auto* layout = new QVBoxLayout(this);

    // Qt's font dialog, embedded as a part of this one without its own buttons.
    fontPart_ = new QFontDialog(qtFont(preset), this);
    fontPart_->setObjectName(QStringLiteral("fontPart"));
    fontPart_->setWindowFlags(Qt::Widget);
    fontPart_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    layout->addWidget(fontPart_);

    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(new QLabel(QStringLiteral("颜色："), this));
    colorButton_ = new QPushButton(this);
    colorButton_->setObjectName(QStringLiteral("colorButton"));
    colorButton_->setText(QStringLiteral("选择颜色…"));
    colorRow->addWidget(colorButton_);
    colorRow->addStretch(1);
    layout->addLayout(colorRow);
    connect(colorButton_, &QPushButton::clicked, this, &FontColorDialog::pickColor);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    setColor(preset.color.isValid() ? preset.color : QColor(Qt::black));
}

void FontColorDialog::setColor(const QColor& color)
{
    color_ = color;
    QPixmap swatch(16, 16);
    swatch.fill(color);
    colorButton_->setIcon(QIcon(swatch));
}

void FontColorDialog::pickColor()
{
    const QColor picked = QColorDialog::getColor(color_, this, QStringLiteral("颜色"));
    if (picked.isValid())
        setColor(picked);
}

FontChoice FontColorDialog::choice() const
{
    const QFont font = fontPart_->currentFont();
    FontChoice choice;
    choice.name = font.family();
    choice.size = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize();
    choice.bold = font.bold();
    choice.italic = font.italic();
    choice.strikethrough = font.strikeOut();
    choice.underline = font.underline();
    choice.color = color_;
    return choice;
}
