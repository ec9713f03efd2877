#include "commandline/Dispatch.h"

#include "commandline/Arguments.h"

namespace Dispatch {

Mode choose(const QStringList& arguments) {
    // The picture's path is whatever follows the first argument equal to the phase text,
    // wherever that stands.
    if (const auto phase = Arguments::value(arguments, QStringLiteral("--signin-picture")))
        if (const auto path = Arguments::value(arguments, *phase))
            return {Mode::Kind::signInPicture, *phase, *path};
    if (const auto folder = Arguments::value(arguments, QStringLiteral("--icon")))
        return {Mode::Kind::iconFiles, {}, *folder};
    if (const auto path = Arguments::value(arguments, QStringLiteral("--snapshot")))
        return {Mode::Kind::panelPicture, {}, *path};
    if (Arguments::isPresent(arguments, QStringLiteral("--renew-check")))
        return {Mode::Kind::renewalCheck, {}, {}};
    // The modes above keep every argument they ever took; the newer ones come after them.
    if (Arguments::isPresent(arguments, QStringLiteral("--help")))
        return {Mode::Kind::help, {}, {}};
    if (Arguments::isPresent(arguments, QStringLiteral("--version")))
        return {Mode::Kind::version, {}, {}};
    return {};
}

} // namespace Dispatch
