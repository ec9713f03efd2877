#pragma once

#include "signin/SignInSection.h"

class CommandBox;
class QCheckBox;
class QLineEdit;
class QPushButton;
class LinkButton;

// The form: which folder the account goes to, and the e-mail to sign in with.
class NamingSection : public SignInSection {
    Q_OBJECT

public:
    explicit NamingSection(SignInFlow& flow, QWidget* parent = nullptr);
    void refresh() override;
    QWidget* firstInput() const override;

private:
    QCheckBox* defaultBox;
    QWidget* defaultRow;
    QWidget* nameField;
    QLineEdit* nameBox;
    TextLabel* nameCaption;
    QLineEdit* emailBox;
    QPushButton* signIn;
};

// While Claude Code's login runs: the way back to the sign-in page, and the code box.
class WaitingSection : public SignInSection {
    Q_OBJECT

public:
    explicit WaitingSection(SignInFlow& flow, QWidget* parent = nullptr);
    void refresh() override;
    QWidget* firstInput() const override;

private:
    // Where the code goes once the user has been sent to the page, or asked for the box.
    void showCodeBox();

    LinkButton* openAgain;
    LinkButton* copyLink;
    LinkButton* askForCode;
    QWidget* codeArea;
    QLineEdit* codeBox;
    QPushButton* continueButton;
};

// The account is signed in: how to use it in Claude Code.
class DoneSection : public SignInSection {
    Q_OBJECT

public:
    explicit DoneSection(SignInFlow& flow, QWidget* parent = nullptr);
    void refresh() override;

private:
    QPushButton* copyButton = nullptr;
    TextLabel* alsoSignedIn;
};

// The attempt ended without a signed-in account.
class FailedSection : public SignInSection {
    Q_OBJECT

public:
    explicit FailedSection(SignInFlow& flow, QWidget* parent = nullptr);
};
