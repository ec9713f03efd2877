#include "commandline/Dispatch.h"

#include "commandline/Arguments.h"
#include "model/DecimalInteger.h"

namespace {

bool isPresent(const QStringList& arguments, const char* flag) {
    return Arguments::isPresent(arguments, QLatin1String(flag));
}

Mode misused(QString problem) {
    Mode mode;
    mode.kind = Mode::Kind::misused;
    mode.problem = std::move(problem);
    return mode;
}

// The status and best-account modes, with the options they take.
Mode figuresMode(const QStringList& arguments, Mode::Kind kind) {
    Mode mode;
    mode.kind = kind;
    if (const auto maxAge = Arguments::value(arguments, QStringLiteral("--max-age"))) {
        const std::optional<qint64> seconds = DecimalInteger::parse(*maxAge);
        if (!seconds || *seconds < 0)
            return misused(QStringLiteral("--max-age takes a whole number of seconds, 0 or more."));
        mode.maxAgeSeconds = double(*seconds);
    }
    if (kind == Mode::Kind::best) {
        mode.printCommand = isPresent(arguments, "--command");
        return mode;
    }
    const bool json = isPresent(arguments, "--json");
    const bool waybar = isPresent(arguments, "--waybar");
    if (json && waybar)
        return misused(QStringLiteral("--json and --waybar cannot be given together."));
    if (json)
        mode.statusFormat = Mode::StatusFormat::json;
    else if (waybar)
        mode.statusFormat = Mode::StatusFormat::waybar;
    return mode;
}

} // namespace

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
    if (isPresent(arguments, "--renew-check"))
        return {Mode::Kind::renewalCheck, {}, {}};
    // The modes above keep every argument they ever took; the newer ones come after them.
    if (isPresent(arguments, "--help"))
        return {Mode::Kind::help, {}, {}};
    if (isPresent(arguments, "--version"))
        return {Mode::Kind::version, {}, {}};
    if (isPresent(arguments, "--status"))
        return figuresMode(arguments, Mode::Kind::status);
    if (isPresent(arguments, "--best"))
        return figuresMode(arguments, Mode::Kind::best);
    if (isPresent(arguments, "--refresh"))
        return {Mode::Kind::refresh, {}, {}};
    return {};
}

} // namespace Dispatch
