#pragma once

// The network from the executable, through the network's module beside it, which alone loads
// Qt Network.
namespace NetworkModule {

// Serves another run of the program as the child that makes its network calls (standard input
// and output are the pipes to it); the exit status, 1 with a log line when the module cannot be
// loaded.
int serve(int& argc, char** argv);

} // namespace NetworkModule
