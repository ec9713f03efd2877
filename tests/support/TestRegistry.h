#pragma once

#include <QObject>

#include <functional>
#include <memory>

// Lets one test program hold several QtTest classes, one per source file: each file registers
// its class with SPANWELL_TEST, and the shared main runs them all.
namespace TestRegistry {

using Factory = std::function<std::unique_ptr<QObject>()>;

bool add(const char* name, Factory factory);
// Runs every registered class, or only those named on the command line before any QtTest
// option; returns the number of failed classes.
int runAll(int argc, char** argv);

} // namespace TestRegistry

#define SPANWELL_TEST(Class)                                                                       \
    static const bool registered##Class =                                                          \
        TestRegistry::add(#Class, [] { return std::make_unique<Class>(); });
