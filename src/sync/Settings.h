#pragma once

#include <QSettings>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <optional>

namespace velunora {

// The user's stored preferences, by key ("automatic-card-import", "pap-card-bookmark", …).
// The app keeps them in QSettings; tests use the in-memory store.
class Settings {
public:
    virtual ~Settings() = default;
    // An invalid QVariant when the key holds nothing.
    virtual QVariant value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QVariant& value) = 0;
    virtual void remove(const QString& key) = 0;

    // The stored Bool; nothing when the key holds anything else. The settings file gives a Bool
    // back as the text "true" or "false", which counts as that Bool.
    std::optional<bool> boolValue(const QString& key) const;
};

// QSettings under organisation "Velunora", application "Velunora Sync".
class SettingsFile final : public Settings {
public:
    SettingsFile();
    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

private:
    std::unique_ptr<QSettings> settings_;
};

class MemorySettings final : public Settings {
public:
    QVariant value(const QString& key) const override;
    void setValue(const QString& key, const QVariant& value) override;
    void remove(const QString& key) override;

private:
    std::map<QString, QVariant> values_;
};

} // namespace velunora
