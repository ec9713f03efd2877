#include "commandline/HelpText.h"

#include "BuildVersion.h"
#include "store/PanelFigures.h"

namespace HelpText {

QString usage() {
    return QStringLiteral(
        "Usage: spanwell [MODE] [OPTION...]\n"
        "Shows how much of each usage limit the Claude Code accounts on this computer\n"
        "have used, when each resets, and which account can be used now.\n"
        "\n"
        "Modes (--help and --version win; of the others the first listed runs):\n"
        "  -h, --help                   print this help\n"
        "  -v, --version                print the version\n"
        "  --signin-picture PHASE FILE  draw the sign-in window in PHASE to a PNG file\n"
        "  --icon FOLDER                write the application icon files into FOLDER\n"
        "  --snapshot FILE              draw the panel to a PNG file, after one refresh\n"
        "  --renew-check                renew each account's sign-in, one line each\n"
        "  --status                     print each tracked account's verdict and limits\n"
        "  --best                       print the folder of the account best usable now\n"
        "  --refresh                    refresh now, through the tray program if it runs\n"
        "  --add-account                add an account, in the tray program\n"
        "  --statusline                 Claude Code's status line: record the figures it\n"
        "                               reports on standard input, print one line\n"
        "  --statusline-install         show Spanwell in each tracked account's status line\n"
        "  --statusline-remove          take it out again\n"
        "  --history                    print the readings kept, with each day's peak\n"
        "  (none of these)              the tray program; a second start shows its panel\n"
        "\n"
        "Options:\n"
        "  PHASE                        name, waiting or done\n"
        "  --demo                       with --snapshot: four made-up accounts instead\n"
        "  --dark                       with --snapshot: the dark colours\n"
        "  --open N                     with --snapshot: open row N, counted from 0\n"
        "  --expand-all                 with --snapshot: open every row\n"
        "  --json                       with --status: one JSON document; with --history:\n"
        "                               a JSON list of readings\n"
        "  --waybar                     with --status: one line for a waybar module\n"
        "  --argos                      with --status: a menu for Argos, Kargos or xbar\n"
        "  --line                       with --status: one plain line for a status bar\n"
        "  --command                    with --best: the command that runs claude in it\n"
        "  --max-age SECONDS            with --status, --best: refresh first when the\n"
        "                               newest figures are older (default 60, 0 always)\n"
        "  --since AGE                  with --history: from AGE ago, such as 90m, 24h,\n"
        "                               7d (the default) or 2w\n"
        "  --account FOLDER             with --history: only the account in FOLDER\n"
        "  --csv                        with --history: comma-separated, with a header\n"
        "\n"
        "--status and --best read the figures the tray program keeps in\n"
        "~/.local/share/Spanwell/snapshots.json and refresh them only when they are old.\n"
        "On a terminal the table fits its width and is coloured, unless NO_COLOR is set.\n"
        "Every reading is kept in ~/.local/state/Spanwell/history.sqlite, for 90 days\n"
        "unless the preferences say otherwise.\n"
        "--best ends with 1 when no account is usable, --refresh when the tray program\n"
        "did not finish its refresh within a minute; an unknown or misused option ends\n"
        "with 2.\n");
}

QString version() {
    return QStringLiteral("Spanwell ") +
           PanelFigures::versionText(QString::fromUtf8(BuildVersion::text)) + QLatin1Char('\n');
}

} // namespace HelpText
