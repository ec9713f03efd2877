#pragma once

#include "signin/SignInSection.h"

#include <QPointer>
#include <QWidget>

class SignInFlow;

// The sign-in window's content: the flow's current phase, exactly 440 wide and as tall as that
// phase needs. Return presses the phase's default button, and Escape its cancel button or, where
// there is none, closes the window. It follows every change of the flow and turns clicks and
// typing into operations on it.
class SignInView : public QWidget {
    Q_OBJECT

public:
    static constexpr int fixedWidth = 440;

    explicit SignInView(SignInFlow& flow, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showPhase();
    void refresh();
    // Takes the height the content needs at the fixed width.
    void fit();

    SignInFlow& signInFlow;
    QPointer<SignInSection> current;
};
