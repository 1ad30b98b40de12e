#include "sync/Settings.h"

namespace velunora {

std::optional<bool> Settings::boolValue(const QString& key) const {
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool) {
        return stored.toBool();
    }
    if (stored.typeId() == QMetaType::QString || stored.typeId() == QMetaType::QByteArray) {
        const QString text = stored.toString();
        if (text == u"true") {
            return true;
        }
        if (text == u"false") {
            return false;
        }
    }
    return std::nullopt;
}

SettingsFile::SettingsFile()
    : settings_(std::make_unique<QSettings>(QStringLiteral("Velunora"),
                                            QStringLiteral("Velunora Sync"))) {}

QVariant SettingsFile::value(const QString& key) const {
    return settings_->value(key);
}

void SettingsFile::setValue(const QString& key, const QVariant& value) {
    settings_->setValue(key, value);
    settings_->sync();
}

void SettingsFile::remove(const QString& key) {
    settings_->remove(key);
    settings_->sync();
}

QVariant MemorySettings::value(const QString& key) const {
    const auto found = values_.find(key);
    return found == values_.end() ? QVariant() : found->second;
}

void MemorySettings::setValue(const QString& key, const QVariant& value) {
    values_[key] = value;
}

void MemorySettings::remove(const QString& key) {
    values_.erase(key);
}

} // namespace velunora
