#pragma once

#include "views/Theme.h"

#include <QAbstractButton>

// A borderless button that shows nothing but a named symbol, in a theme colour looked up
// whenever it paints: in the primary text colour while pressed, faded while disabled.
class SymbolButton : public QAbstractButton {
    Q_OBJECT

public:
    SymbolButton(const QString& symbol, double pointSize, Theme::Role colour,
                 QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbolName;
    double size;
    Theme::Role colourRole;
};
