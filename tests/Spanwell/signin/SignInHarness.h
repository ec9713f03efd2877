#pragma once

#include "Spanwell/store/StoreHarness.h"
#include "signin/SignInFlow.h"
#include "support/StandIn.h"

#include <QList>
#include <QTest>
#include <QUrl>

#include <chrono>
#include <memory>

// A throw-away home with a store over it, a stand-in `claude` script, and a flow whose
// browser is recorded and clipboard ignored. The flow polls and succeeds quickly.
class SignInHarness {
public:
    // A refresh started by a sign-in still uses the stand-ins on its workers.
    ~SignInHarness() {
        if (!QTest::qWaitFor([this] { return !store->isRefreshing(); }, 5000))
            qWarning("A refresh outlived its test");
    }

    // The script's body runs with `$HOME_DIR` set to the home folder; it records its process
    // id in the home folder.
    void writeClaude(const QByteArray& body) {
        claude = stores.home.writeExecutable(
            QStringLiteral("bin/claude"),
            StandIn::script("HOME_DIR='" + stores.home.path().toUtf8() +
                            "'\necho $$ > \"$HOME_DIR/pid\"\n" + body + '\n'));
    }
    // Lines that sign `email` in to a folder's account file, given relative to the home.
    static QByteArray signInLines(const QByteArray& accountFile, const QByteArray& email) {
        return "mkdir -p \"$(dirname \"$HOME_DIR/" + accountFile +
               "\")\"\nprintf '{\"oauthAccount\":{\"emailAddress\":\"%s\"}}' \"" + email +
               "\" > \"$HOME_DIR/" + accountFile + "\"\n";
    }

    // Once the flow has read what it reads at its start.
    std::unique_ptr<SignInFlow> makeFlow(std::optional<Account> again = std::nullopt) {
        SignInFlow::Services services;
        services.home = stores.home.path();
        services.fileSystem = &stores.fileSystem;
        services.findClaude = [this] {
            return claude.isEmpty() ? std::nullopt : std::optional<QString>(claude);
        };
        services.copyText = [this](const QString& text) { copied.append(text); };
        services.openAddress = [this](const QUrl& address) { opened.append(address); };
        services.pollInterval = std::chrono::milliseconds(40);
        services.successDelay = successDelay;
        auto flow = std::make_unique<SignInFlow>(store.get(), std::move(again), services);
        settle(*flow);
        return flow;
    }
    // A flow that adds an account in a folder of its own called `name`; the name's verdict may
    // still be on its way.
    std::unique_ptr<SignInFlow> makeNamedFlow(const QString& name) {
        auto flow = makeFlow();
        flow->setUseDefault(false);
        flow->setName(name);
        return flow;
    }
    // Waits for the flow's reads of account files, such as a typed name's verdict.
    static void settle(const SignInFlow& flow) {
        if (!QTest::qWaitFor([&flow] { return !flow.isReading(); }, 5000))
            qFatal("The flow's reads did not end");
    }
    // Signs `email` in to a folder of the home.
    Account account(const QString& folderName, const QString& email) {
        Account account;
        account.configDir = stores.home.addAccount(folderName, email);
        account.email = email;
        return account;
    }
    bool childHasEnded() const { return StandIn::hasEnded(stores.home.path()); }

    std::chrono::milliseconds successDelay{150};
    StoreHarness stores;
    std::unique_ptr<Store> store = stores.makeStore();
    QString claude;
    QList<QUrl> opened;
    QStringList copied;
};
