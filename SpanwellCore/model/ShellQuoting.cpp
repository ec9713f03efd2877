#include "model/ShellQuoting.h"

#include <QRegularExpression>

namespace ShellQuoting {

QString quoted(const QString& text) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_@%+=:,./-]+$"));
    if (plain.match(text).hasMatch())
        return text;
    QString quotedText = text;
    quotedText.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quotedText + QLatin1Char('\'');
}

} // namespace ShellQuoting
