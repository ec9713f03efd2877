#include "commandline/Dispatch.h"

#include "model/DecimalInteger.h"

#include <QCommandLineParser>
#include <QHash>
#include <QList>

#include <utility>

namespace {

using Kind = Mode::Kind;

// The modes chosen by an option of their own; the older ones first, in the order they were
// always told apart, so that a command line that names several keeps choosing the same one.
struct ModeOption {
    const char* name;
    const char* valueName;
    Kind kind;
};
const ModeOption modeOptions[] = {
    {"signin-picture", "PHASE", Kind::signInPicture},
    {"icon", "FOLDER", Kind::iconFiles},
    {"snapshot", "FILE", Kind::panelPicture},
    {"renew-check", nullptr, Kind::renewalCheck},
    {"status", nullptr, Kind::status},
    {"best", nullptr, Kind::best},
    {"refresh", nullptr, Kind::refresh},
    {"add-account", nullptr, Kind::addAccount},
    {"statusline", nullptr, Kind::statusLine},
    {"statusline-install", nullptr, Kind::statusLineOn},
    {"statusline-remove", nullptr, Kind::statusLineOff},
    {"history", nullptr, Kind::history},
    // The program's own, for the children it starts to work on the history and to make its
    // network calls; not in the help.
    {"history-job", nullptr, Kind::historyJob},
    {"network-child", nullptr, Kind::networkChild},
};

// The options that change how a mode runs, and the modes they belong to.
struct Modifier {
    const char* name;
    const char* valueName;
    QList<Kind> modes;
    // How the sentence that refuses it with another mode names its modes.
    const char* goesWith;
};
const QList<Modifier>& modifiers() {
    static const QList<Modifier> all = {
        {"dark", nullptr, {Kind::panelPicture}, "--snapshot"},
        {"demo", nullptr, {Kind::panelPicture}, "--snapshot"},
        {"open", "N", {Kind::panelPicture}, "--snapshot"},
        {"expand-all", nullptr, {Kind::panelPicture}, "--snapshot"},
        {"json", nullptr, {Kind::status, Kind::history}, "--status or --history"},
        {"waybar", nullptr, {Kind::status}, "--status"},
        {"argos", nullptr, {Kind::status}, "--status"},
        {"line", nullptr, {Kind::status}, "--status"},
        {"command", nullptr, {Kind::best}, "--best"},
        {"max-age", "SECONDS", {Kind::status, Kind::best}, "--status or --best"},
        {"since", "AGE", {Kind::history}, "--history"},
        {"account", "FOLDER", {Kind::history}, "--history"},
        {"csv", nullptr, {Kind::history}, "--history"},
    };
    return all;
}

QCommandLineOption option(const char* name, const char* valueName) {
    return valueName ? QCommandLineOption(QLatin1String(name), QString(), QLatin1String(valueName))
                     : QCommandLineOption(QLatin1String(name));
}

QString dashed(const QString& name) {
    return QStringLiteral("--") + name;
}

Mode misused(QString problem) {
    Mode mode;
    mode.kind = Kind::misused;
    mode.problem = std::move(problem);
    return mode;
}

// The options this program declares, with Qt's own -platform and -display, which the windowed
// modes hand on to Qt.
void declare(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QString()});
    for (const ModeOption& mode : modeOptions)
        parser.addOption(option(mode.name, mode.valueName));
    for (const Modifier& modifier : modifiers())
        parser.addOption(option(modifier.name, modifier.valueName));
    for (const char* name : {"platform", "display"})
        parser.addOption(option(name, "NAME"));
}

// The parser names an unknown option without its dashes; the sentence shows it as it was typed.
QString unknownOption(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments)
        if (argument.startsWith(QLatin1Char('-')) &&
            argument.section(QLatin1Char('='), 0, 0).endsWith(QLatin1Char('-') + name))
            return QStringLiteral("Unknown option %1.")
                .arg(argument.section(QLatin1Char('='), 0, 0));
    return QStringLiteral("Unknown option %1.").arg(dashed(name));
}

Kind modeOf(const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("help")))
        return Kind::help;
    if (parser.isSet(QStringLiteral("version")))
        return Kind::version;
    for (const ModeOption& mode : modeOptions)
        if (parser.isSet(QLatin1String(mode.name)))
            return mode.kind;
    return Kind::normalStart;
}

// A modifier given to a mode it does not modify is a mistake, not something to ignore.
std::optional<QString> misplacedModifier(const QCommandLineParser& parser, Kind kind) {
    for (const Modifier& modifier : modifiers())
        if (parser.isSet(QLatin1String(modifier.name)) && !modifier.modes.contains(kind))
            return QStringLiteral("%1 goes with %2.")
                .arg(dashed(QLatin1String(modifier.name)), QLatin1String(modifier.goesWith));
    return std::nullopt;
}

// The status and best-account modes' own options.
Mode figuresMode(const QCommandLineParser& parser, Mode mode) {
    if (parser.isSet(QStringLiteral("max-age"))) {
        const std::optional<qint64> seconds =
            DecimalInteger::parse(parser.value(QStringLiteral("max-age")));
        if (!seconds || *seconds < 0)
            return misused(QStringLiteral("--max-age takes a whole number of seconds, 0 or more."));
        mode.maxAgeSeconds = double(*seconds);
    }
    mode.printCommand = parser.isSet(QStringLiteral("command"));
    const std::pair<const char*, Mode::StatusFormat> formats[] = {
        {"json", Mode::StatusFormat::json},
        {"waybar", Mode::StatusFormat::waybar},
        {"argos", Mode::StatusFormat::argos},
        {"line", Mode::StatusFormat::line},
    };
    const char* chosen = nullptr;
    for (const auto& [name, format] : formats) {
        if (!parser.isSet(QLatin1String(name)))
            continue;
        if (chosen)
            return misused(QStringLiteral("%1 and %2 cannot be given together.")
                               .arg(dashed(QLatin1String(chosen)), dashed(QLatin1String(name))));
        chosen = name;
        mode.statusFormat = format;
    }
    return mode;
}

// "90m", "24h", "7d" or "2w": a whole number and its unit.
std::optional<double> ageSeconds(const QString& text) {
    static const QHash<QChar, double> units = {{QLatin1Char('m'), 60},
                                               {QLatin1Char('h'), 3600},
                                               {QLatin1Char('d'), 86400},
                                               {QLatin1Char('w'), 604800}};
    if (text.size() < 2 || !units.contains(text.back()))
        return std::nullopt;
    const std::optional<qint64> count = DecimalInteger::parse(text.chopped(1));
    // Beyond a hundred years back there are no readings anyway.
    if (!count || *count <= 0 || double(*count) * units.value(text.back()) > 3.2e9)
        return std::nullopt;
    return double(*count) * units.value(text.back());
}

// The history mode's own options.
Mode historyMode(const QCommandLineParser& parser, Mode mode) {
    if (parser.isSet(QStringLiteral("since"))) {
        const std::optional<double> seconds = ageSeconds(parser.value(QStringLiteral("since")));
        if (!seconds)
            return misused(QStringLiteral("--since takes a whole number of minutes, hours, days "
                                          "or weeks, such as 90m, 24h, 7d or 2w."));
        mode.sinceSeconds = *seconds;
    }
    if (parser.isSet(QStringLiteral("account")))
        mode.account = parser.value(QStringLiteral("account"));
    const bool json = parser.isSet(QStringLiteral("json"));
    const bool csv = parser.isSet(QStringLiteral("csv"));
    if (json && csv)
        return misused(QStringLiteral("--csv and --json cannot be given together."));
    if (json)
        mode.historyFormat = Mode::HistoryFormat::json;
    else if (csv)
        mode.historyFormat = Mode::HistoryFormat::csv;
    return mode;
}

} // namespace

namespace Dispatch {

Mode choose(const QStringList& arguments) {
    QCommandLineParser parser;
    declare(parser);
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return misused(unknown.isEmpty() ? parser.errorText()
                                         : unknownOption(arguments, unknown.first()));
    }
    Mode mode;
    mode.kind = modeOf(parser);
    if (const auto problem = misplacedModifier(parser, mode.kind))
        return misused(*problem);

    // Only the sign-in picture takes an argument that is not an option: its file.
    const QStringList positional = parser.positionalArguments();
    const qsizetype expected = mode.kind == Kind::signInPicture ? 1 : 0;
    if (positional.size() > expected)
        return misused(QStringLiteral("Unexpected argument %1.").arg(positional.at(expected)));
    switch (mode.kind) {
    case Kind::signInPicture:
        if (positional.isEmpty())
            return misused(QStringLiteral("--signin-picture takes a phase and a file."));
        mode.phase = parser.value(QStringLiteral("signin-picture"));
        mode.path = positional.first();
        break;
    case Kind::iconFiles:
        mode.path = parser.value(QStringLiteral("icon"));
        break;
    case Kind::panelPicture:
        mode.path = parser.value(QStringLiteral("snapshot"));
        mode.dark = parser.isSet(QStringLiteral("dark"));
        mode.demo = parser.isSet(QStringLiteral("demo"));
        if (parser.isSet(QStringLiteral("open")))
            mode.open = parser.value(QStringLiteral("open"));
        mode.expandAll = parser.isSet(QStringLiteral("expand-all"));
        break;
    case Kind::status:
    case Kind::best:
        return figuresMode(parser, mode);
    case Kind::history:
        return historyMode(parser, mode);
    case Kind::renewalCheck:
    case Kind::help:
    case Kind::version:
    case Kind::refresh:
    case Kind::addAccount:
    case Kind::statusLine:
    case Kind::statusLineOn:
    case Kind::statusLineOff:
    case Kind::historyJob:
    case Kind::networkChild:
    case Kind::misused:
    case Kind::normalStart:
        break;
    }
    return mode;
}

} // namespace Dispatch
