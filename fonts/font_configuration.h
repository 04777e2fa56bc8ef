#pragma once

#include <thread>

namespace quibrel {

// Reads the system's font configuration on a thread of its own. Every program that shows text parses those
// files anew at its first font, which takes longer than connecting to the display: started first thing in
// main(), the reading goes on while the application object is made.
class FontConfigurationReader {
public:
    FontConfigurationReader();
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader &) = delete;
    FontConfigurationReader &operator=(const FontConfigurationReader &) = delete;

    // Returns once the configuration is read. Call it before anything asks for a font: a font asked for while
    // the reading goes on would have the whole configuration read a second time.
    void wait();

private:
    std::thread m_reader;
};

} // namespace quibrel
