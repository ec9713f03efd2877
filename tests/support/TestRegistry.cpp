#include "support/TestRegistry.h"

#include <QStringList>
#include <QTest>

#include <vector>

namespace {

struct Registered {
    QString name;
    TestRegistry::Factory factory;
};

std::vector<Registered>& registered() {
    static std::vector<Registered> classes;
    return classes;
}

} // namespace

namespace TestRegistry {

bool add(const char* name, Factory factory) {
    registered().push_back({QString::fromLatin1(name), std::move(factory)});
    return true;
}

int runAll(int argc, char** argv) {
    QStringList chosen;
    QStringList options{QString::fromLocal8Bit(argv[0])};
    for (int index = 1; index < argc; ++index) {
        const QString argument = QString::fromLocal8Bit(argv[index]);
        if (options.size() == 1 && !argument.startsWith(QLatin1Char('-')) &&
            std::any_of(registered().begin(), registered().end(),
                        [&](const Registered& entry) { return entry.name == argument; }))
            chosen.append(argument);
        else
            options.append(argument);
    }

    int failedClasses = 0;
    for (const Registered& entry : registered()) {
        if (!chosen.isEmpty() && !chosen.contains(entry.name))
            continue;
        const std::unique_ptr<QObject> test = entry.factory();
        if (QTest::qExec(test.get(), options) != 0)
            ++failedClasses;
    }
    return failedClasses;
}

} // namespace TestRegistry
