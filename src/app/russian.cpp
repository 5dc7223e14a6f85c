#include "app/russian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kelmira {

namespace {

// What the translation file does not answer. The standard buttons' texts stand in when the file
// is missing: the questions and the help page name these buttons, so they must never fall back
// to English. A translator, not texts set on each box, because a message box takes its button
// texts from the translators again whenever the language changes.
class Fallbacks : public QTranslator {
public:
    using QTranslator::QTranslator;

    void setFile(const QTranslator* file) { m_file = file; }

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        // The file dialog's file types ("Folder", "%1 File") moved to a context of their own
        // that the translation file does not know yet; it has them under the file dialog's.
        if (m_file && qstrcmp(context, "QAbstractFileIconProvider") == 0)
            return m_file->translate("QFileDialog", sourceText, disambiguation, n);
        // Most desktops take the button texts from the first context, a GNOME desktop from the
        // second.
        if (qstrcmp(context, "QPlatformTheme") != 0 && qstrcmp(context, "QGnomeTheme") != 0)
            return {};
        static const struct {
            const char* source;
            const char* russian;
        } texts[] = {{"&Yes", "&Да"},        {"&No", "&Нет"}, {"Cancel", "Отмена"},
                     {"&Cancel", "&Отмена"}, {"OK", "OK"},    {"&OK", "&OK"}};
        for (const auto& t : texts)
            if (qstrcmp(sourceText, t.source) == 0)
                return QString::fromUtf8(t.russian);
        return {};
    }

private:
    const QTranslator* m_file = nullptr;
};

} // namespace

QTranslator* installRussian(QCoreApplication& app) {
    // Consulted last: the translator installed after it answers first.
    auto* fallbacks = new Fallbacks(&app);
    QCoreApplication::installTranslator(fallbacks);

    // A copy of the program that carries its own translations (as on Windows) comes first.
    const QString folders[] = {QCoreApplication::applicationDirPath() +
                                   QStringLiteral("/translations"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    auto* translator = new QTranslator(&app);
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
            fallbacks->setFile(translator);
            QCoreApplication::installTranslator(translator);
            return translator;
        }
    }
    delete translator;
    return nullptr;
}

} // namespace kelmira
