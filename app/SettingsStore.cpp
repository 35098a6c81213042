#include "app/SettingsStore.h"

#include "ui/OmbrexError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QString key(const QString& section, const QString& name) {
    return section + QLatin1Char('/') + name;
}
} // namespace

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QStringLiteral("Pluvatec"),
                                             QStringLiteral("Ombrex2"))) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::Location() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Pluvatec"),
                     QStringLiteral("Ombrex2"))
        .fileName();
}

int SettingsStore::ReadInteger(const QString& section, const QString& name, int defaultValue) {
    QString k = key(section, name);
    // The ini form keeps keys of a section named "General" in "[%General]"; one written by hand
    // as "[General]" reads as a key of no section.
    if (!m_settings->contains(k) && section == QLatin1String("General"))
        k = name;
    if (!m_settings->contains(k))
        return defaultValue;
    const QVariant value = m_settings->value(k);
    // There, but nothing can be made of it ("@Invalid()", a value of a type not known here).
    if (!value.isValid())
        throw OmbrexError(QStringLiteral("Failed to get data for '%1'").arg(name));
    // An ini value with a comma reads back as a list; a registry DWORD as a number.
    if (value.typeId() != QMetaType::QString)
        throw OmbrexError(QStringLiteral("Invalid data type for '%1'").arg(name));
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok, 10);
    return ok ? number : defaultValue;
}

bool SettingsStore::ReadBool(const QString& section, const QString& name, bool defaultValue) {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::WriteInteger(const QString& section, const QString& name, int value) {
    write(section, name, QString::number(value));
}

void SettingsStore::WriteBool(const QString& section, const QString& name, bool value) {
    write(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::write(const QString& section, const QString& name, const QString& text) {
    // The sections live in one file: without its folder no section can be made.
    if (!QDir().mkpath(QFileInfo(m_settings->fileName()).path()))
        throw OmbrexError(QStringLiteral("Failed to create key %1").arg(section));
    if (!m_settings->isWritable())
        throw OmbrexError(QStringLiteral("Failed to set data for '%1'").arg(name));
    m_settings->setValue(key(section, name), text);
    m_settings->sync();
    // A file that did not parse reads as FormatError even once the value is written; only a
    // failed write is a failure to set the value.
    if (m_settings->status() == QSettings::AccessError)
        throw OmbrexError(QStringLiteral("Failed to set data for '%1'").arg(name));
}
