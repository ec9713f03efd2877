#pragma once

#include "accounts/AccountFolder.h"
#include "accounts/FileSystem.h"
#include "login/LoginSession.h"
#include "model/Account.h"
#include "store/Store.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class ThreadHop;

// Adds an account, or signs one in again, by running Claude Code's login: the user picks the
// folder, the flow starts `claude auth login` there, publishes the sign-in address it prints,
// passes on a pasted code and decides from the folder's account file when the sign-in has
// landed, then asks the store to refresh. Lives on the interface thread; every change of its
// published state is announced by `changed()`, and a change of phase also by `phaseChanged()`.
// Account files are read on workers (they grow large, and the home folder may be slow), and
// what they show arrives as published state. The login's handlers, timers, delayed steps and
// reads hold the flow only weakly.
class SignInFlow : public QObject {
    Q_OBJECT

public:
    class Phase {
    public:
        enum class Kind { naming, waiting, done, failed };

        static Phase naming() { return Phase(Kind::naming, {}); }
        static Phase waiting() { return Phase(Kind::waiting, {}); }
        static Phase done(QString email) { return Phase(Kind::done, std::move(email)); }
        // `message` is shown to the user word for word.
        static Phase failed(QString message) { return Phase(Kind::failed, std::move(message)); }

        Kind kind() const { return phaseKind; }
        // The e-mail of `done`; empty otherwise.
        QString email() const { return phaseKind == Kind::done ? text : QString(); }
        // The message of `failed`; empty otherwise.
        QString message() const { return phaseKind == Kind::failed ? text : QString(); }

        bool operator==(const Phase&) const = default;

    private:
        Phase(Kind kind, QString payload)
            : phaseKind(kind)
            , text(std::move(payload)) {}

        Kind phaseKind;
        QString text;
    };

    // The folder of the current attempt.
    struct Target {
        QString path;
        bool isDefault = false;

        bool operator==(const Target&) const = default;
    };

    // What the flow reaches outside itself; the product uses the real ones.
    struct Services {
        QString home;
        const FileSystem* fileSystem = nullptr;
        // Where `claude` is installed, looked up at each start.
        std::function<std::optional<QString>()> findClaude;
        // Replaces the clipboard's contents with plain text.
        std::function<void(const QString& text)> copyText;
        // Opens an address in the default browser.
        std::function<void(const QUrl& address)> openAddress;
        // How often the folder is checked for a finished sign-in while adding.
        std::chrono::milliseconds pollInterval{2000};
        // How long the login may go on once the sign-in has landed, so that Claude Code can
        // finish writing its files.
        std::chrono::milliseconds successDelay{3000};

        // The user's home folder, the local file system, Claude Code's usual places, the
        // system clipboard and browser.
        static Services real();
    };

    static const QString notInstalledMessage;
    static const QString couldNotStartMessage;
    static const QString unfinishedMessage;

    // `again` is the account to sign in again; absent when adding. The store may be absent or
    // go away at any time.
    SignInFlow(Store* store, std::optional<Account> again, Services services = Services::real(),
               QObject* parent = nullptr);
    // Ends a login that still runs, so that no child is left waiting for a code.
    ~SignInFlow() override;

    const Phase& phase() const { return currentPhase; }
    const QString& name() const { return typedName; }
    const QString& email() const { return typedEmail; }
    bool useDefault() const { return defaultChosen; }
    // The first sign-in address of the current attempt, exactly as Claude Code printed it.
    const std::optional<QString>& signInURL() const { return address; }
    const QString& code() const { return typedCode; }
    bool showCode() const { return codeShown; }
    bool copied() const { return commandCopied; }
    bool claudeMissing() const { return claudeNotInstalled; }

    void setName(const QString& name);
    void setEmail(const QString& email);
    void setUseDefault(bool useDefault);
    void setCode(const QString& code);
    void setShowCode(bool showCode);
    void setPhase(const Phase& phase);
    void setSignInURL(const std::optional<QString>& signInURL);
    void setTarget(const std::optional<Target>& target);

    const std::optional<Account>& again() const { return againAccount; }
    // No account is signed in to the default folder; false when signing in again, and until
    // the default folder's account file has been read.
    bool defaultIsFree() const { return defaultFolderFree; }
    const std::optional<Target>& target() const { return currentTarget; }
    const std::shared_ptr<LoginSession>& session() const { return currentSession; }
    const QString& home() const { return services.home; }

    // The default folder when chosen, otherwise the verdict on the typed name as last worked
    // out: a name that needs its folder looked at gets its verdict from a worker, a moment
    // after it was typed.
    AccountFolder::Check folderCheck() const;
    // Once done: the folder label of another folder signed in to the same e-mail (in any
    // capitals), the first in discovery order. Looked for on a worker once the phase is done.
    const std::optional<QString>& alsoSignedInAt() const { return otherFolder; }
    // Account files are being read; what they show is published when the reads end.
    bool isReading() const { return readsUnderWay > 0; }

    // Begins an attempt; with a typed name whose verdict is still being worked out, as soon as
    // it arrives. A running attempt is cancelled by the caller first.
    void start();
    void openSignInPage();
    // Puts the sign-in address on the clipboard, for a browser elsewhere.
    void copySignInLink();
    void copyCommand();
    // Opens an address of the window's own, such as a help page.
    void open(const QUrl& address);
    // Stops checking the folder and ends the login; the phase stays.
    void cancel();
    // Sends the current code to the login, if one runs, and empties the code.
    void submitCode();
    // From `failed`: back to the form, or, when signing in again, straight into a new attempt.
    void retry();

    // Closes the window that shows the flow; does nothing until the window sets it.
    void setCloseAction(std::function<void()> action) { closeAction = std::move(action); }
    void close();

signals:
    void changed();
    void phaseChanged();

private:
    // Runs `work` on a reader thread and hands its result to `then` here, unless the flow is
    // gone by then.
    template <typename Work, typename Then>
    void read(Work work, Then then);
    void checkName();
    void lookForOtherFolder();
    void finished(int status, const std::shared_ptr<LoginSession>& session);
    void checkSaved();
    void succeed(const QString& email);
    void publish(bool phaseToo = false);
    // Sets a published field and announces it, when it changes.
    template <typename Field>
    void change(Field& field, const Field& value, bool isPhase = false);

    const Services services;
    const QPointer<Store> store;
    const std::optional<Account> againAccount;
    const std::shared_ptr<ThreadHop> hop;
    bool defaultFolderFree = false;

    Phase currentPhase = Phase::naming();
    QString typedName;
    QString typedEmail;
    bool defaultChosen = false;
    std::optional<QString> address;
    QString typedCode;
    bool codeShown = false;
    bool commandCopied = false;
    bool claudeNotInstalled = false;
    std::optional<QString> otherFolder;

    // The verdict on a typed name, the name it is for, and how many have been asked for, so
    // that only the latest one counts.
    AccountFolder::Check nameVerdict;
    QString verdictName;
    quint64 nameChecks = 0;
    // `start()` was asked for while the verdict on the typed name was still being worked out.
    bool startWhenChecked = false;
    // The user chose the folder kind before the default folder's account file was read.
    bool defaultChoiceTouched = false;
    int readsUnderWay = 0;
    // A poll's read is under way; the next poll waits for it.
    bool pollReading = false;

    std::optional<Target> currentTarget;
    std::shared_ptr<LoginSession> currentSession;
    // Counts the attempts, so that a delayed success meant for one attempt cannot end another.
    quint64 attempt = 0;
    QTimer poll;
    std::function<void()> closeAction;
};
