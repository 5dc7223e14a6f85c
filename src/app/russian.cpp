#include "russian.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kelmira {

namespace {

// The standard buttons' texts without the translation file: the questions and the help page
// name these buttons, so they must never fall back to English. A translator, not texts set on
// each box, because a message box takes its button texts from the translators again whenever
// the language changes.
class ButtonTexts : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char*,
                      int) const override {
        // Most desktops take the texts from the first context, a GNOME desktop from the second.
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
};

} // namespace

QTranslator* installRussian(QCoreApplication& app) {
    // Dates and sizes in the file dialogs follow the default locale, not the translation.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));

    // Consulted last: the translator installed after it answers first.
    QCoreApplication::installTranslator(new ButtonTexts(&app));

    // A copy of the program that carries its own translations (as on Windows) comes first.
    const QString folders[] = {QCoreApplication::applicationDirPath() +
                                   QStringLiteral("/translations"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    auto* translator = new QTranslator(&app);
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
            QCoreApplication::installTranslator(translator);
            return translator;
        }
    }
    delete translator;
    return nullptr;
}

} // namespace kelmira
