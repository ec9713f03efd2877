#pragma once

#include "views/Theme.h"

#include <QFont>
#include <QLabel>

// A text in one of the theme's colours at a pixel size, recoloured whenever the palette it is
// shown with changes.
class ThemedLabel : public QLabel {
    Q_OBJECT

public:
    ThemedLabel(const QString& text, double size, Theme::Role role,
                QFont::Weight weight = QFont::Normal, QWidget* parent = nullptr);

    Theme::Role role() const { return colourRole; }
    void setRole(Theme::Role role);
    // Wraps at word boundaries within the width it is given.
    void setWrapping();
    // The mouse and the keyboard can select the text, to copy it.
    void setSelectable();

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColour();

    Theme::Role colourRole;
};
