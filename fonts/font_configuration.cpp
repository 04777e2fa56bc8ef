#include "font_configuration.h"

#include <QGuiApplication>
#include <qpa/qplatformnativeinterface.h>

#include <clocale>
#include <fontconfig/fontconfig.h>

namespace quibrel {

namespace {

const char startupIdVariable[] = "DESKTOP_STARTUP_ID";

QByteArray takeStartupId()
{
    const QByteArray id = qgetenv(startupIdVariable);
    qunsetenv(startupIdVariable);
    return id;
}

// The X11 platform tells the desktop through the id when the first window shows, as it does with an id it
// finds in the environment itself. Another platform gets the environment back as it was.
void handOnStartupId(const QByteArray &id)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    const auto function = native ? native->nativeResourceFunctionForIntegration("setstartupid") : nullptr;
    if (function)
        reinterpret_cast<void (*)(const char *)>(reinterpret_cast<void (*)()>(function))(id.constData());
    else
        qputenv(startupIdVariable, id);
}

} // namespace

FontConfigurationReader::FontConfigurationReader()
    : m_startupId(takeStartupId())
{
    std::setlocale(LC_ALL, ""); // as the application object does
    m_reader = std::thread([] { FcInit(); });
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
    if (!m_startupId.isEmpty())
        handOnStartupId(m_startupId);
}

} // namespace quibrel
