#include "commandline/Arguments.h"

#include <mutex>

namespace {

QStringList& captured() {
    static QStringList arguments;
    return arguments;
}

} // namespace

namespace Arguments {

void capture(int argc, const char* const* argv) {
    static std::once_flag once;
    std::call_once(once, [&] {
        for (int index = 0; index < argc; ++index)
            captured().append(QString::fromLocal8Bit(argv[index]));
    });
}

const QStringList& list() {
    return captured();
}

std::optional<QString> value(const QString& after) {
    return value(list(), after);
}

std::optional<QString> value(const QStringList& arguments, const QString& after) {
    const qsizetype index = arguments.indexOf(after);
    if (index < 0 || index + 1 >= arguments.size())
        return std::nullopt;
    return arguments.at(index + 1);
}

bool isPresent(const QString& flag) {
    return isPresent(list(), flag);
}

bool isPresent(const QStringList& arguments, const QString& flag) {
    return arguments.contains(flag);
}

} // namespace Arguments
