#pragma once

#include "Dialogs.h"

#include <QDialog>

class QFontDialog;
class QPushButton;

// The font dialog of the program: Qt's font choice (family, style, size, strikeout,
// underline) with a colour choice beside it, which Qt's own font dialog lacks.
class FontColorDialog : public QDialog {
    Q_OBJECT

public:
    explicit FontColorDialog(const FontChoice& preset, QWidget* parent = nullptr);

    FontChoice choice() const;
    QColor color() const { return color_; }
    void setColor(const QColor& color);

    QFontDialog* fontPart() const { return fontPart_; }
    QPushButton* colorButton() const { return colorButton_; }

private:
    void pickColor();

    QFontDialog* fontPart_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    QColor color_;
};
