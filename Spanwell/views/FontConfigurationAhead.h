#pragma once

#include <thread>

// Fontconfig reads its configuration files and font caches the first time anything asks for a
// font, which takes about 4 ms, and Qt asks only once the first widget measures its text. While
// one of these lives, that reading runs on a thread of its own, begun before the application
// object is made, so that it overlaps Qt's own start on a second processor. Fontconfig keeps one
// configuration and takes the first one finished: should Qt ask before the thread is done, both
// read and one reading is dropped.
class FontConfigurationAhead {
public:
    FontConfigurationAhead();
    // Waits for the reading.
    ~FontConfigurationAhead();
    // Waits for the reading, so that Qt, asking next, does not read all of it again.
    void wait();
    FontConfigurationAhead(const FontConfigurationAhead&) = delete;
    FontConfigurationAhead& operator=(const FontConfigurationAhead&) = delete;

private:
    std::thread reader;
};
