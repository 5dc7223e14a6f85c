#pragma once

class QCoreApplication;
class QTranslator;

namespace kelmira {

// Qt's own texts (standard buttons, file and colour dialogs) in Russian on every machine,
// whatever its language. The buttons of the message boxes read Да, Нет, Отмена and OK even
// when the translation file is missing. Returns the translator loaded from the file, or nullptr
// when the file is nowhere to be found.
QTranslator* installRussian(QCoreApplication& app);

} // namespace kelmira
