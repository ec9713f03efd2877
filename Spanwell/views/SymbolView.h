#pragma once

#include "views/Theme.h"

#include <QFont>
#include <QString>
#include <QWidget>

// One named symbol as a small fixed-size widget: `pointSize` high, as wide as its box (or as
// its size when no box is given), in a theme colour looked up whenever it paints.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(const QString& name, double pointSize, Theme::Role colour,
               QWidget* parent = nullptr);

    void setWeight(QFont::Weight weight);
    // The width the symbol is centred in; 0 gives the symbol's own width.
    void setBoxWidth(double width);
    // Turns the symbol about its centre, in degrees clockwise.
    void setRotation(double degrees);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString symbolName;
    double size;
    Theme::Role colourRole;
    QFont::Weight symbolWeight = QFont::Normal;
    double box = 0;
    double degrees = 0;
};
