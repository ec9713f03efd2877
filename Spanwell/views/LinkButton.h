#pragma once

#include <QAbstractButton>

// A button that looks like a link: accent-coloured text without any frame, a pointing hand
// under the mouse, faded while disabled. Hover help is the ordinary tool tip. Return and Enter
// press it, as Space does.
class LinkButton : public QAbstractButton {
    Q_OBJECT

public:
    LinkButton(const QString& text, double pointSize, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
