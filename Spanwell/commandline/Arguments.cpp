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

} // namespace Arguments
