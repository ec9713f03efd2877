#pragma once

#include <QByteArray>
#include <QString>

// A part of the program that the executable loads only when a mode needs it, from beside the
// executable, as the build puts it and the installation keeps it.
namespace ProgramModule {

struct Loaded {
    // The entry looked up, or none.
    void* entry = nullptr;
    // Why there is none: a sentence without the program's name.
    QString problem;
};

// Loads the module at `relativePath` from the executable's folder and looks up `entryName` in
// it, only when it is a regular file of root's or the user's own and of this very version and
// build (a module of another version would misread what it is handed).
Loaded load(const char* relativePath, const char* entryName);

} // namespace ProgramModule
