#pragma once

#include <QByteArray>

#include <thread>

namespace quibrel {

// Reads the system's font configuration on a thread of its own. Every program that shows text parses those
// files anew at its first font, which takes longer than connecting to the display: started first thing in
// main(), before the application object, the reading goes on while that object is made.
//
// fontconfig reads the environment and the locale as it goes, and Qt changes both while it makes the
// application object: it sets the locale from the environment and, on X11, takes the desktop's startup
// notification id out of the environment. Neither may change under a reader on another thread, so the reader
// does both first and gives the id to the platform once the application object is there.
class FontConfigurationReader {
public:
    FontConfigurationReader();
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader &) = delete;
    FontConfigurationReader &operator=(const FontConfigurationReader &) = delete;

    // Returns once the configuration is read, and hands the startup notification id on. Call it once the
    // application object is made and before anything asks for a font: a font asked for while the reading goes
    // on would have the whole configuration read a second time.
    void wait();

private:
    QByteArray m_startupId;
    std::thread m_reader;
};

} // namespace quibrel
