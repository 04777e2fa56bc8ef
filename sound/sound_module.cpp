#include "sound_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace quibrel {

namespace {

CreateSoundOutput loadModule()
{
    QLibrary module(SoundModule::path());
    // The audio libraries keep threads and callbacks of their own: the module stays for the life of the
    // process.
    module.setLoadHints(QLibrary::PreventUnloadHint);
    if (!module.load())
        return nullptr;
    return reinterpret_cast<CreateSoundOutput>(module.resolve(createSoundOutputName));
}

} // namespace

std::unique_ptr<SoundOutput> SoundModule::createOutput(std::function<void()> ended)
{
    // One try per process: a module that is missing or broken stays so.
    static const CreateSoundOutput create = loadModule();
    if (!create)
        return nullptr;
    return std::unique_ptr<SoundOutput>(create(std::move(ended)));
}

QString SoundModule::path()
{
    const QString programDir = QCoreApplication::applicationDirPath();
#ifdef QUIBREL_BUILD_DIR
    const QString buildDir = QDir(QStringLiteral(QUIBREL_BUILD_DIR)).canonicalPath();
    if (!buildDir.isEmpty() && (programDir == buildDir || programDir.startsWith(buildDir + QLatin1Char('/'))))
        return QStringLiteral(QUIBREL_SOUND_MODULE_BUILT);
#endif
    return QDir::cleanPath(programDir + QLatin1Char('/') + QStringLiteral(QUIBREL_SOUND_MODULE_INSTALLED));
}

} // namespace quibrel
