#include "commandline/ArgosMenu.h"

#include "commandline/StatusTable.h"
#include "commandline/WaybarLine.h"
#include "model/ShellQuoting.h"
#include "store/EntryStatus.h"

namespace {

// Colours that read on a light menu and a dark one alike.
QString colour(AccountStatus::Level level) {
    switch (level) {
    case AccountStatus::Level::ready:
        return QStringLiteral(" color=#2ec27e");
    case AccountStatus::Level::partial:
        return QStringLiteral(" color=#e5a50a");
    case AccountStatus::Level::blocked:
        return QStringLiteral(" color=#e01b24");
    case AccountStatus::Level::unknown:
        break;
    }
    return {};
}

// A line's text may hold no "|", which would begin its attributes, and Argos reads it as Pango
// markup; escapes the table wrote stay as they are, with "unescape=false".
QString menuText(const QString& text) {
    QString safe = text.toHtmlEscaped();
    return safe.replace(QLatin1Char('|'), QChar(0xFF5C));
}

// An attribute that runs `command`: the extension splits the attributes as a shell does, then
// hands the value to bash.
QString running(const QString& command) {
    return QStringLiteral(" bash=") + ShellQuoting::quoted(command) +
           QStringLiteral(" terminal=false");
}

} // namespace

namespace ArgosMenu {

QByteArray text(const QList<Entry>& entries, Instant now, const QString& program) {
    const QString quotedProgram = ShellQuoting::quoted(program);
    QString menu = menuText(WaybarLine::summary(entries, now)) + QStringLiteral("\n---\n");
    if (entries.isEmpty())
        menu += menuText(StatusTable::noAccounts()) + QStringLiteral(" | unescape=false") +
                running(quotedProgram) + QLatin1Char('\n');
    // A start of the program while it runs opens its panel.
    for (const Entry& entry : entries)
        menu += menuText(StatusTable::cells(entry, now).join(QStringLiteral("  "))) +
                QStringLiteral(" | unescape=false") +
                colour(EntryStatus::verdict(entry, now).level) + running(quotedProgram) +
                QLatin1Char('\n');
    menu += QStringLiteral("---\nRefresh Now |") +
            running(quotedProgram + QStringLiteral(" --refresh")) +
            QStringLiteral(" refresh=true\n");
    return menu.toUtf8();
}

} // namespace ArgosMenu
