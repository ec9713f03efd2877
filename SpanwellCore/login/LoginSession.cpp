#include "login/LoginSession.h"

#include "accounts/ClaudeCLI.h"
#include "process/WatchedChild.h"

#include <QDir>
#include <QFileInfo>

namespace {

std::optional<QString> cleanedEmail(const std::optional<QString>& email) {
    if (!email)
        return std::nullopt;
    const QString trimmed = email->trimmed();
    if (!trimmed.contains(QLatin1Char('@')))
        return std::nullopt;
    return trimmed;
}

} // namespace

LoginSession::LoginSession(QString configDir, bool isDefault, std::optional<QString> email)
    : folder(std::move(configDir))
    , defaultFolder(isDefault)
    , suggestedEmail(cleanedEmail(email)) {}

LoginSession::~LoginSession() = default;

std::shared_ptr<LoginSession> LoginSession::create(QString configDir, bool isDefault,
                                                   std::optional<QString> email) {
    return std::shared_ptr<LoginSession>(
        new LoginSession(std::move(configDir), isDefault, std::move(email)));
}

std::optional<LoginSession::StartError>
LoginSession::start(const std::optional<QString>& claudePath, OutputHandler onOutput,
                    ExitHandler onExit) {
    if (!claudePath)
        return StartError::noClaudeCode;
    {
        const std::lock_guard guard(lock);
        if (child)
            return StartError::couldNotRun;
    }
    // Should this fail, Claude Code says so in its output.
    const bool madeFolder = !defaultFolder && !QFileInfo::exists(folder) && QDir().mkpath(folder);

    QStringList arguments{QStringLiteral("auth"), QStringLiteral("login"),
                          QStringLiteral("--claudeai")};
    if (suggestedEmail)
        arguments << QStringLiteral("--email") << *suggestedEmail;
    const QProcessEnvironment environment = ClaudeCLI::environment(
        *claudePath, defaultFolder ? std::nullopt : std::optional<QString>(folder));

    const std::weak_ptr<LoginSession> session = weak_from_this();
    auto outputHandler = [session, onOutput](QByteArrayView bytes) {
        std::optional<QString> wholeText;
        if (const std::shared_ptr<LoginSession> alive = session.lock())
            wholeText = alive->receive(bytes);
        if (wholeText && onOutput)
            onOutput(*wholeText);
    };
    auto exitHandler = [session, onOutput, onExit, stopped = cancelled,
                        made = madeFolder ? folder : QString()](int status) {
        // A sign-in given up leaves no trace: the folder made for it goes unless Claude Code
        // wrote into it, which an empty folder's removal cannot touch.
        if (!made.isEmpty() && *stopped)
            QDir().rmdir(made);
        std::optional<QString> wholeText;
        if (const std::shared_ptr<LoginSession> alive = session.lock())
            wholeText = alive->finishOutput();
        if (wholeText && onOutput)
            onOutput(*wholeText);
        if (onExit)
            onExit(status);
    };
    std::shared_ptr<WatchedChild> launched = WatchedChild::launch(
        *claudePath, arguments, environment, std::move(outputHandler), std::move(exitHandler));
    if (!launched)
        return StartError::couldNotRun;
    const std::lock_guard guard(lock);
    child = std::move(launched);
    return std::nullopt;
}

void LoginSession::send(const QString& code) {
    const QString trimmed = code.trimmed();
    if (trimmed.isEmpty())
        return;
    if (const std::shared_ptr<WatchedChild> running = runningChild())
        running->write((trimmed + QLatin1Char('\n')).toUtf8());
}

void LoginSession::cancel() {
    if (const std::shared_ptr<WatchedChild> running = runningChild()) {
        *cancelled = true;
        running->terminate();
    }
}

QString LoginSession::text() const {
    const std::lock_guard guard(lock);
    return collected.text();
}

bool LoginSession::isRunning() const {
    return runningChild() != nullptr;
}

std::optional<QString> LoginSession::receive(QByteArrayView bytes) {
    const std::lock_guard guard(lock);
    if (!collected.append(bytes))
        return std::nullopt;
    return collected.text();
}

std::optional<QString> LoginSession::finishOutput() {
    const std::lock_guard guard(lock);
    if (!collected.finish())
        return std::nullopt;
    return collected.text();
}

std::shared_ptr<WatchedChild> LoginSession::runningChild() const {
    std::shared_ptr<WatchedChild> started;
    {
        const std::lock_guard guard(lock);
        started = child;
    }
    return started && started->isRunning() ? started : nullptr;
}
