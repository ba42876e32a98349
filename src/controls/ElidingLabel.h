#pragma once

#include <QLabel>

// A one-line label that never asks for more width than it is given: a text too long for
// its room is drawn shortened with "…", and the whole text shows as its tool tip. text()
// stays the whole text. For names the user chooses (product names), which may be long.
class ElidingLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidingLabel(const QString& text, QWidget* parent = nullptr);

    // The text as drawn at the present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
