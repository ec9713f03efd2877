#include "signin/SignInFlow.h"

#include "accounts/ClaudeCLI.h"
#include "accounts/Discovery.h"
#include "login/LoginOutput.h"
#include "signin/ThreadHop.h"
#include "store/WorkerPool.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGuiApplication>

#include <utility>

const QString SignInFlow::notInstalledMessage =
#if defined(Q_OS_MACOS)
    QStringLiteral("Spanwell signs in through Claude Code, and Claude Code is not installed on "
                   "this Mac. Install it, then try again.");
#else
    QStringLiteral("Spanwell signs in through Claude Code, and Claude Code is not installed on "
                   "this computer. Install it, then try again.");
#endif
const QString SignInFlow::couldNotStartMessage =
    QStringLiteral("Claude Code could not be started.");
const QString SignInFlow::unfinishedMessage = QStringLiteral("Sign-in did not finish.");

SignInFlow::Services SignInFlow::Services::real() {
    Services services;
    services.home = QDir::homePath();
    services.fileSystem = &FileSystem::local();
    services.findClaude = &ClaudeCLI::path;
    services.copyText = [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
    services.openAddress = [](const QUrl& address) { QDesktopServices::openUrl(address); };
    return services;
}

template <typename Work, typename Then>
void SignInFlow::read(Work work, Then then) {
    ++readsUnderWay;
    WorkerPool::whenDone(this, WorkerPool::runInBackground(std::move(work)),
                         [this, then = std::move(then)](const auto& result) {
                             --readsUnderWay;
                             then(result);
                         });
}

SignInFlow::SignInFlow(Store* refreshed, std::optional<Account> again, Services outside,
                       QObject* parent)
    : QObject(parent)
    , services(std::move(outside))
    , store(refreshed)
    , againAccount(std::move(again))
    , hop(std::make_shared<ThreadHop>(this))
    , nameVerdict(*AccountFolder::invalidName(QString())) {
    if (againAccount) {
        typedEmail = againAccount->email;
        currentTarget = Target{againAccount->configDir, againAccount->isDefault()};
    } else {
        read(
            [home = this->services.home, fileSystem = this->services.fileSystem] {
                return AccountFolder::defaultIsFree(home, *fileSystem);
            },
            [this](bool isFree) {
                defaultFolderFree = isFree;
                // The choice starts as the answer, unless the user has begun another meanwhile.
                if (!defaultChoiceTouched && typedName.isEmpty())
                    defaultChosen = isFree;
                publish();
            });
    }
    poll.setInterval(this->services.pollInterval);
    connect(&poll, &QTimer::timeout, this, &SignInFlow::checkSaved);
}

SignInFlow::~SignInFlow() {
    hop->close();
    if (currentSession)
        currentSession->cancel();
}

void SignInFlow::publish(bool phaseToo) {
    if (phaseToo)
        emit phaseChanged();
    emit changed();
}

template <typename Field>
void SignInFlow::change(Field& field, const Field& value, bool isPhase) {
    if (field == value)
        return;
    field = value;
    publish(isPhase);
}

void SignInFlow::setName(const QString& name) {
    if (name == typedName)
        return;
    typedName = name;
    // A sign-in asked for while an earlier choice was being checked was meant for that one.
    startWhenChecked = false;
    checkName();
    publish();
}

void SignInFlow::setEmail(const QString& email) {
    change(typedEmail, email);
}

void SignInFlow::setUseDefault(bool useDefault) {
    defaultChoiceTouched = true;
    startWhenChecked = false;
    change(defaultChosen, useDefault);
}

void SignInFlow::setCode(const QString& code) {
    change(typedCode, code);
}

void SignInFlow::setShowCode(bool showCode) {
    change(codeShown, showCode);
}

void SignInFlow::setPhase(const Phase& phase) {
    if (phase == currentPhase)
        return;
    otherFolder.reset();
    change(currentPhase, phase, true);
    lookForOtherFolder();
}

void SignInFlow::setSignInURL(const std::optional<QString>& signInURL) {
    change(address, signInURL);
}

void SignInFlow::setTarget(const std::optional<Target>& target) {
    change(currentTarget, target);
}

AccountFolder::Check SignInFlow::folderCheck() const {
    if (defaultChosen)
        return AccountFolder::Check::ok(services.home + QStringLiteral("/.claude"), true);
    return nameVerdict;
}

void SignInFlow::checkName() {
    const quint64 asked = ++nameChecks;
    if (const std::optional<AccountFolder::Check> invalid = AccountFolder::invalidName(typedName)) {
        nameVerdict = *invalid;
        verdictName = typedName;
        return;
    }
    read(
        [name = typedName, home = services.home, fileSystem = services.fileSystem] {
            return AccountFolder::check(name, home, *fileSystem);
        },
        [this, asked, name = typedName](const AccountFolder::Check& verdict) {
            if (asked != nameChecks)
                return;
            nameVerdict = verdict;
            verdictName = name;
            publish();
            if (std::exchange(startWhenChecked, false))
                start();
        });
}

void SignInFlow::lookForOtherFolder() {
    if (currentPhase.kind() != Phase::Kind::done || !currentTarget)
        return;
    const Phase meantFor = currentPhase;
    read(
        [email = currentPhase.email(), target = currentTarget->path, home = services.home,
         fileSystem = services.fileSystem]() -> std::optional<QString> {
            for (const Account& account : Discovery::accounts(home, *fileSystem))
                if (account.email.compare(email, Qt::CaseInsensitive) == 0 &&
                    account.configDir != target)
                    return account.folderLabel(home);
            return std::nullopt;
        },
        [this, meantFor](const std::optional<QString>& label) {
            if (currentPhase == meantFor)
                change(otherFolder, label);
        });
}

void SignInFlow::start() {
    if (!againAccount) {
        if (!defaultChosen && verdictName != typedName) {
            startWhenChecked = true;
            return;
        }
        const AccountFolder::Check check = folderCheck();
        if (!check.isOk())
            return;
        currentTarget = Target{check.path(), check.isDefault()};
    }
    if (!currentTarget)
        return;

    const std::shared_ptr<LoginSession> session =
        LoginSession::create(currentTarget->path, currentTarget->isDefault, typedEmail);
    currentSession = session;
    ++attempt;
    address.reset();
    typedCode.clear();
    codeShown = false;

    // The handlers run on the session's own threads: only the address search happens there.
    const std::weak_ptr<LoginSession> weakSession = session;
    const std::shared_ptr<ThreadHop> sender = hop;
    const std::optional<LoginSession::StartError> error = session->start(
        services.findClaude(),
        [sender, this](const QString& wholeText) {
            const QString text = LoginOutput::withoutTerminalSequences(wholeText);
            const std::optional<QString> found = LoginOutput::signInURL(text);
            // An address that runs to the end of the text may go on in the next piece.
            if (!found || text.indexOf(*found) + found->size() >= text.size())
                return;
            sender->post([this, found] {
                if (!address)
                    setSignInURL(found);
            });
        },
        [sender, weakSession, this](int status) {
            sender->post([this, weakSession, status] {
                if (const std::shared_ptr<LoginSession> ended = weakSession.lock())
                    finished(status, ended);
            });
        });

    if (error) {
        if (*error == LoginSession::StartError::noClaudeCode) {
            claudeNotInstalled = true;
            currentPhase = Phase::failed(notInstalledMessage);
        } else {
            currentPhase = Phase::failed(couldNotStartMessage);
        }
        publish(true);
        return;
    }
    const bool phaseMoved = currentPhase != Phase::waiting();
    currentPhase = Phase::waiting();
    // Restarts a timer left from an earlier attempt.
    if (!againAccount)
        poll.start();
    publish(phaseMoved);
}

void SignInFlow::checkSaved() {
    if (currentPhase.kind() != Phase::Kind::waiting || !currentTarget || pollReading)
        return;
    pollReading = true;
    const quint64 meantFor = attempt;
    read(
        [target = *currentTarget, home = services.home, fileSystem = services.fileSystem] {
            return AccountFolder::signedInEmail(target.path, target.isDefault, home, *fileSystem);
        },
        [this, meantFor](const std::optional<QString>& email) {
            pollReading = false;
            // The login may have ended, or been cancelled, while the file was read.
            if (!email || !poll.isActive() || attempt != meantFor)
                return;
            poll.stop();
            QTimer::singleShot(services.successDelay, this, [this, email = *email, meantFor] {
                if (currentPhase.kind() != Phase::Kind::waiting || attempt != meantFor)
                    return;
                if (currentSession)
                    currentSession->cancel();
                succeed(email);
            });
        });
}

void SignInFlow::finished(int status, const std::shared_ptr<LoginSession>& session) {
    if (session != currentSession || currentPhase.kind() != Phase::Kind::waiting)
        return;
    poll.stop();
    const std::optional<QString> said = LoginOutput::lastLine(session->text());
    const Phase failure =
        Phase::failed(said ? unfinishedMessage + QStringLiteral(" Claude Code said: ") + *said
                           : unfinishedMessage);
    if (status != 0 || !currentTarget) {
        setPhase(failure);
        return;
    }
    const quint64 meantFor = attempt;
    read(
        [target = *currentTarget, home = services.home, fileSystem = services.fileSystem] {
            return AccountFolder::signedInEmail(target.path, target.isDefault, home, *fileSystem);
        },
        [this, meantFor, failure](const std::optional<QString>& email) {
            // A success declared meanwhile, or a new attempt, stands.
            if (currentPhase.kind() != Phase::Kind::waiting || attempt != meantFor)
                return;
            if (email)
                succeed(*email);
            else
                setPhase(failure);
        });
}

void SignInFlow::succeed(const QString& email) {
    setPhase(Phase::done(email));
    if (store)
        store->refresh();
}

void SignInFlow::openSignInPage() {
    if (!address)
        return;
    services.openAddress(QUrl(*address, QUrl::TolerantMode));
    setShowCode(true);
}

void SignInFlow::copySignInLink() {
    if (address)
        services.copyText(*address);
}

void SignInFlow::copyCommand() {
    services.copyText(
        currentTarget
            ? AccountFolder::command(currentTarget->path, currentTarget->isDefault, services.home)
            : QStringLiteral("claude"));
    if (!commandCopied) {
        commandCopied = true;
        publish();
    }
}

void SignInFlow::open(const QUrl& page) {
    services.openAddress(page);
}

void SignInFlow::cancel() {
    poll.stop();
    if (currentSession)
        currentSession->cancel();
    currentSession.reset();
}

void SignInFlow::submitCode() {
    if (currentSession)
        currentSession->send(typedCode);
    setCode(QString());
}

void SignInFlow::retry() {
    if (currentSession)
        currentSession->cancel();
    setPhase(Phase::naming());
    if (againAccount)
        start();
}

void SignInFlow::close() {
    if (closeAction)
        closeAction();
}
