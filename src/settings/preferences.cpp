#include "settings/preferences.h"

#include <QDir>

namespace kelmira {

Preferences::Preferences(const QString& programFolder)
    : m_settings(filePath(programFolder), QSettings::IniFormat) {}

QString Preferences::filePath(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral("Data/Preferences.ini"));
}

bool Preferences::sync() {
    m_settings.sync();
    return m_settings.status() == QSettings::NoError;
}

} // namespace kelmira
