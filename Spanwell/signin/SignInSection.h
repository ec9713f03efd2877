#pragma once

#include "views/Theme.h"

#include <QWidget>

#include <initializer_list>

class QBoxLayout;
class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class SignInFlow;
class TextLabel;

// What the sign-in window shows in one phase of the flow: a header, the phase's own content
// and a row of buttons at the trailing edge, one of which may answer the Return key and one
// the Escape key. Built anew for each phase; `refresh` follows every other change of the flow.
class SignInSection : public QWidget {
    Q_OBJECT

public:
    explicit SignInSection(SignInFlow& flow, QWidget* parent = nullptr);

    virtual void refresh() {}
    // The button that answers the Return key, if any.
    QPushButton* defaultButton() const { return defaultKey; }
    // The button that answers the Escape key, if any.
    QPushButton* cancelButton() const { return cancelKey; }
    // Where typing begins when the section appears: its first text box, or its default button.
    virtual QWidget* firstInput() const;

    // The width of the header's picture.
    static constexpr int pictureColumn = 44;
    // The left indent that puts content under the header's texts.
    static constexpr int headerIndent = 56;
    // The size of text boxes and push buttons.
    static constexpr double controlTextSize = 13;

protected:
    struct Header {
        QVBoxLayout* texts;
        TextLabel* explanation;
    };
    // The header every phase begins with: `picture`, made 44 wide, beside a title and an
    // explanation that wraps.
    Header addHeader(QWidget* picture, const QString& title, const QString& explanation);
    // A label in a narrow column, beside `content` with `caption` below it; returns the row.
    static QWidget* field(const QString& label, QWidget* content, TextLabel* caption);
    static QPushButton* pushButton(const QString& text);
    static QLineEdit* textBox(const QString& placeholder);
    // The buttons at the trailing edge; `cancel` answers Escape and `accept` Return.
    void addButtons(std::initializer_list<QPushButton*> buttons, QPushButton* cancel,
                    QPushButton* accept);
    // Sets the text of a box the user edits only when it differs, so the cursor stays.
    static void showText(QLineEdit* box, const QString& text);

    SignInFlow& flow;
    QVBoxLayout* stack;

private:
    QPushButton* defaultKey = nullptr;
    QPushButton* cancelKey = nullptr;
};
