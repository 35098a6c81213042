#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user settings key, used like an ini file: open, read or write, close. No handle is held
// between uses, so every use sees what the previous one wrote. Every value is stored as text.
// Failures throw OmbrexError with the store's own messages.
class SettingsStore {
public:
    SettingsStore();  // opens (and creates) the key
    ~SettingsStore(); // closes it, writing what was changed

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    int ReadInteger(const QString& section, const QString& name, int defaultValue);
    bool ReadBool(const QString& section, const QString& name, bool defaultValue);
    void WriteInteger(const QString& section, const QString& name, int value);
    void WriteBool(const QString& section, const QString& name, bool value);

    // Where the store lives (the file on Linux).
    static QString Location();

private:
    void write(const QString& section, const QString& name, const QString& text);

    std::unique_ptr<QSettings> m_settings;
};
