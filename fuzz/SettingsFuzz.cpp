// The settings file as anything may have left it: every value the program reads, then a write and
// a read back of one of them.
#include "app/SettingsKeys.h"
#include "app/SettingsStore.h"
#include "fuzz/FuzzSupport.h"
#include "ui/OmbrexError.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>

namespace {
std::unique_ptr<QTemporaryDir> g_config;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    g_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, g_config->path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace SettingsKeys;
    QDir().mkpath(g_config->path() + QStringLiteral("/Pluvatec"));
    const QString path = SettingsStore::Location();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(Fuzz::Bytes(data, size));
    }
    const QLatin1StringView sections[] = {Settings,      FileToolbar,    LoggerToolbar,
                                          WindowToolbar, WindowSettings, General};
    const QLatin1StringView names[] = {BucketFactor, Logger, PortNumber, Top,   Left,
                                       Visible,      Width,  Height,     State, ShowHelp};
    {
        SettingsStore store;
        for (QLatin1StringView section : sections)
            for (QLatin1StringView name : names) {
                try {
                    store.ReadInteger(section, name, -7);
                    store.ReadBool(section, name, true);
                } catch (const OmbrexError&) {
                    // a value of the wrong type: the program shows this and uses the default
                }
            }
    }
    try {
        SettingsStore().WriteInteger(Settings, Logger, 3);
        if (SettingsStore().ReadInteger(Settings, Logger, 0) != 3)
            std::abort();
    } catch (const OmbrexError&) {
    }
    return 0;
}
