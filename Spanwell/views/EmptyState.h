#pragma once

#include <QWidget>

#include <functional>

// What the panel shows in place of its summary while no account is tracked: why, and how to
// add one.
class EmptyState : public QWidget {
    Q_OBJECT

public:
    // Without `renderingPicture`, a button runs `addAccount`.
    EmptyState(std::function<void()> addAccount, bool renderingPicture, QWidget* parent = nullptr);
};
