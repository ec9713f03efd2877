#pragma once

#include <thread>

// Fontconfig reads its configuration files and font caches the first time anything asks for a
// font, which takes about 4 ms, and Qt asks only once the first widget measures its text. While
// one of these lives, that reading runs on a thread of its own, so that it overlaps the loading
// of the module and Qt's libraries on a second processor. The library is loaded here, by its
// name, rather than linked: the modes that draw nothing never load it.
class FontConfigurationAhead {
public:
    FontConfigurationAhead();
    // Waits for the reading, so that Qt, asking next, does not read all of it again.
    ~FontConfigurationAhead();
    FontConfigurationAhead(const FontConfigurationAhead&) = delete;
    FontConfigurationAhead& operator=(const FontConfigurationAhead&) = delete;

private:
    std::thread reader;
};
