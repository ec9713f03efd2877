#pragma once

#include "views/TextLabel.h"

#include <QAbstractButton>
#include <QLineEdit>

// Finds the controls a test drives inside a view: by object name, or by what the user reads.
namespace Widgets {

// The descendant of that kind named `name`; null when there is none.
template <typename Widget = TextLabel>
Widget* named(const QWidget& parent, const char* name) {
    return parent.findChild<Widget*>(QString::fromUtf8(name));
}

// What the user reads on a widget: a text box's placeholder, a label's or a button's text.
inline QString textOf(const QWidget* widget) {
    if (const auto* box = qobject_cast<const QLineEdit*>(widget))
        return box->placeholderText();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

// The first descendant of that kind the user sees, with that text when one is given.
template <typename Widget>
Widget* shown(const QWidget& parent, const QString& text = {}) {
    for (Widget* widget : parent.findChildren<Widget*>())
        if (widget->isVisibleTo(&parent) && (text.isEmpty() || textOf(widget) == text))
            return widget;
    return nullptr;
}

} // namespace Widgets
