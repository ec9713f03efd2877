// The network's own module, the one part of the program that loads Qt Network: the executable
// loads it in the child that makes the network calls of a program that must not load it, the
// tray program above all, which would keep it in memory all day for a moment's work after each
// refresh.

#include "BuildVersion.h"
#include "service/FetchServer.h"

#include <QCoreApplication>

#include <unistd.h>

namespace {

// A child with nothing to do for this long ends; the next call starts another.
constexpr std::chrono::seconds idleEnd{10};

} // namespace

// What the executable compares with its own before it calls the entry.
extern "C" Q_DECL_EXPORT const char* const spanwellModuleVersion = BuildVersion::identity;

// Serves the calls asked for on standard input, answering on standard output; the exit status.
extern "C" Q_DECL_EXPORT int spanwellServeNetwork(int* argc, char** argv) {
    // Qt's network classes want an application object, though no event loop of its.
    const QCoreApplication application(*argc, argv);
    return FetchServer::serve(STDIN_FILENO, STDOUT_FILENO, idleEnd);
}
