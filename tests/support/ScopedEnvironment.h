#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

#include <optional>

// Sets environment variables of this process until it goes, then puts back what was there
// before.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (auto it = previous.crbegin(); it != previous.crend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }

    ScopedEnvironment& set(const char* name, const QByteArray& value) {
        remember(name);
        qputenv(name, value);
        return *this;
    }

private:
    void remember(const char* name) {
        previous.append({name, qEnvironmentVariableIsSet(name)
                                   ? std::optional<QByteArray>(qgetenv(name))
                                   : std::nullopt});
    }

    QList<QPair<QByteArray, std::optional<QByteArray>>> previous;
};
