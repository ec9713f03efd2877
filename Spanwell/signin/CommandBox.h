#pragma once

#include <QWidget>

class QLabel;

// A command line to read, select or copy: monospaced text of at most two lines on the text
// background, in a rounded box with a faint inner outline.
class CommandBox : public QWidget {
    Q_OBJECT

public:
    explicit CommandBox(const QString& command, QWidget* parent = nullptr);

    QString command() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* text;
};
