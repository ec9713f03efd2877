#pragma once

#include "model/LimitReading.h"

#include <QWidget>

class Bar;
class TextLabel;

// One limit in a collapsed row: its short title, a bar and the share used. Takes all the
// width it is offered, so the meters of a row share the line equally.
class InlineMeter : public QWidget {
    Q_OBJECT

public:
    explicit InlineMeter(const LimitReading& limit, QWidget* parent = nullptr);

    const Bar* bar() const { return usage; }
    const TextLabel* number() const { return numberLabel; }

private:
    Bar* usage;
    TextLabel* titleLabel;
    TextLabel* numberLabel;
};
