#pragma once

#include "views/Theme.h"

#include <QLabel>

// A plain-text label in a theme colour that follows the palette it is shown with. A label that
// elides gives up its width first when a line runs short, and shortens its text to what fits;
// its tool tip then shows the whole text.
class TextLabel : public QLabel {
    Q_OBJECT

public:
    TextLabel(const QString& text, const QFont& font, Theme::Role colour,
              QWidget* parent = nullptr);

    Theme::Role colour() const { return colourRole; }
    void setColour(Theme::Role colour);

    // Any mode but Qt::ElideNone keeps the text on one line.
    void setElideMode(Qt::TextElideMode mode);
    // The part of the text that is shortened first, in its middle, when the line runs short;
    // the rest is shortened by the elide mode only once that part is down to an ellipsis.
    void setShrinkingPart(qsizetype start, qsizetype length);
    // Wraps at word boundaries within the width it is given.
    void setWrapping();
    // The mouse and the keyboard can select the text, to copy it.
    void setSelectable();

    // The text as it is drawn at the label's present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyColour();

    Theme::Role colourRole;
    Qt::TextElideMode elision = Qt::ElideNone;
    qsizetype shrinkingStart = 0;
    qsizetype shrinkingLength = 0;
};
