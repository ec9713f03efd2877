#include "login/LoginOutput.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace {

bool isAllowedHost(const QString& host) {
    const QString lowered = host.toLower();
    for (const char* allowed : LoginOutput::allowedSignInHosts) {
        const QLatin1String name(allowed);
        if (lowered == name || lowered.endsWith(QLatin1Char('.') + name))
            return true;
    }
    return false;
}

} // namespace

namespace LoginOutput {

std::optional<QString> signInURL(const QString& output) {
    const QString cleaned = withoutTerminalSequences(output);
    // White space in Unicode's sense: a no-break space or a line separator ends the address.
    const QRegularExpression address(QStringLiteral(R"(https://[^\s"'<>]+)"),
                                     QRegularExpression::UseUnicodePropertiesOption);
    QRegularExpressionMatchIterator matches = address.globalMatch(cleaned);
    while (matches.hasNext()) {
        const QString text = matches.next().captured();
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty() || !isAllowedHost(url.host()))
            continue;
        return text;
    }
    return std::nullopt;
}

QString withoutTerminalSequences(const QString& output) {
    static const QRegularExpression sequence(
        QStringLiteral(R"(\x{1B}\][^\x{07}\x{1B}]*(?:\x{07}|\x{1B}\\))" // operating-system command
                       R"(|\x{1B}[PX^_][^\x{1B}]*\x{1B}\\)" // device-control and other strings
                       R"(|\x{1B}\[[0-?]*[ -/]*[@-~])"      // control sequence
                       R"(|\x{1B}[ -/]*[0-~])"));           // every other escape
    return QString(output).remove(sequence);
}

QString plain(const QString& output) {
    QString cleaned = output;
    cleaned.remove(QRegularExpression(QStringLiteral(R"(\x{1B}\[[0-9;?]*[ -/]*[@-~])")));
    cleaned.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return cleaned;
}

std::optional<QString> lastLine(const QString& output) {
    const QStringList lines = plain(output).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QString trimmed = line->trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1String("Paste code here")))
            return trimmed;
    }
    return std::nullopt;
}

} // namespace LoginOutput
