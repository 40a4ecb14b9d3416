// Filling the font database is the largest single cost before the main
// window's first paint: reading the system's font configuration and listing
// every font. None of it needs the window, so it runs on another processor
// while the application, the records and the settings come up.
#pragma once

#include <memory>

namespace orv {

class FontPreload {
public:
    // Starts at once with what needs no application: the system's font
    // configuration, where there is one to read ahead. It reads the
    // environment, so the program sets its own variables before.
    FontPreload();
    // Waits for the work still running.
    ~FontPreload();
    FontPreload(const FontPreload&) = delete;
    FontPreload& operator=(const FontPreload&) = delete;

    // Goes on to Qt's font database; call once the application exists, and
    // wait() before it is destroyed. The database guards itself, so a font
    // asked for meanwhile waits for the list rather than reading it twice.
    void fillDatabase();
    void wait();

private:
    struct Work;
    std::unique_ptr<Work> work_;
};

}  // namespace orv
