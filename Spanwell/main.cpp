#include "SignInWindow/SignInWindow.h"
#include "accounts/FileSystem.h"
#include "entry/Arguments.h"
#include "entry/Dispatch.h"
#include "entry/OffscreenPlatform.h"
#include "entry/RenewalCheck.h"
#include "scene/PanelPicture.h"
#include "views/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <cstdio>

namespace {

// Runs without any application object, so it needs no display.
int renewalCheck() {
    QTextStream output(stdout);
    RenewalCheck::run(QDir::homePath(), FileSystem::local(), RenewalCheck::claudeRenewal(), output);
    return 0;
}

// Draws into images only, so it needs no application object and no display at all.
int iconFiles(const QString& folder) {
    return AppIcon::write(folder) ? 0 : 1;
}

int signInPicture(int argc, char** argv, const Mode& mode) {
    OffscreenPlatform::chooseUnlessSet();
    QApplication application(argc, argv);
    return SignInWindow::picture(mode.phase, mode.path) ? 0 : 1;
}

int notAvailable(const char* mode) {
    std::fprintf(stderr, "spanwell: %s is not available in this build yet.\n", mode);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    Arguments::capture(argc, argv);
    const Mode mode = Dispatch::choose(Arguments::list());
    switch (mode.kind) {
    case Mode::Kind::renewalCheck:
        return renewalCheck();
    case Mode::Kind::signInPicture:
        return signInPicture(argc, argv, mode);
    case Mode::Kind::iconFiles:
        return iconFiles(mode.path);
    case Mode::Kind::panelPicture:
        return PanelPicture::run(argc, argv, mode.path);
    case Mode::Kind::normalStart:
        break;
    }
    return notAvailable("The tray item");
}
