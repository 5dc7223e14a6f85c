#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kelmira {

// One of the program's own settings: where it lives in the file and what it reads as when the
// file does not hold it. A new setting is one more constant in `prefs` below.
template <typename T> struct PreferenceKey {
    const char* name; // "Group/Key"
    T fallback;
};

namespace prefs {
// Projects loaded or saved, most recent first, as absolute paths.
inline const PreferenceKey<QStringList> recentProjects{"Projects/Recent", {}};
// The project the autosaved board came from; empty when it came from none.
inline const PreferenceKey<QString> autosaveSource{"Autosave/Source", {}};
// Whether the panes mark the selected component.
inline const PreferenceKey<bool> highlightSelection{"View/HighlightSelection", true};
} // namespace prefs

// The program's settings beyond the settings window's: Data/Preferences.ini in the program's
// folder, an INI file kept by QSettings. Data/Settings.ini stays the settings window's alone.
class Preferences {
public:
    explicit Preferences(const QString& programFolder);

    static QString filePath(const QString& programFolder);
    QString filePath() const { return m_settings.fileName(); }

    template <typename T> T value(const PreferenceKey<T>& key) const {
        const QVariant v = m_settings.value(QLatin1String(key.name));
        return v.isValid() && v.canConvert<T>() ? v.value<T>() : key.fallback;
    }

    // Written at once; false when the file could not be written (the value is still held for
    // this run).
    template <typename T> bool setValue(const PreferenceKey<T>& key, const T& value) {
        m_settings.setValue(QLatin1String(key.name), QVariant::fromValue(value));
        return sync();
    }

    template <typename T> bool remove(const PreferenceKey<T>& key) {
        m_settings.remove(QLatin1String(key.name));
        return sync();
    }

private:
    bool sync();

    QSettings m_settings;
};

} // namespace kelmira
