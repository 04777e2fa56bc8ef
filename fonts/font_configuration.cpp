#include "font_configuration.h"

#include <fontconfig/fontconfig.h>

namespace quibrel {

FontConfigurationReader::FontConfigurationReader()
    : m_reader([] { FcInit(); })
{
}

FontConfigurationReader::~FontConfigurationReader()
{
    wait();
}

void FontConfigurationReader::wait()
{
    if (!m_reader.joinable())
        return;
    m_reader.join();
}

} // namespace quibrel
