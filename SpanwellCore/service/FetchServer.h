#pragma once

#include <chrono>

// The child's side of the network calls a program hands to it: reads requests from `input`,
// makes each on a thread of its own, so that a slow answer holds up no other, and writes each
// answer to `output` as it comes. Returns once `input` has ended, or nothing has been asked
// for `idle`, and every call made has been answered: 0, or 1 when `input` held what is no
// request or `output` could not be written.
namespace FetchServer {

int serve(int input, int output, std::chrono::milliseconds idle);

} // namespace FetchServer
