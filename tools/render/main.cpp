// kelmira-render: draws a project's board into an image file without the editor's window.
#include "rendertool.h"

#include <QGuiApplication>

#include <cstdio>

namespace {

// Without a display the default platform would abort the program before it could say
// anything; the offscreen one always starts, and the renderer then finds GL through EGL.
void chooseHeadlessPlatform() {
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
}

// Qt's own notices about the environment (a missing runtime folder and the like) would bury
// the one line a user of a build server needs to read; everything else passes through.
void quietNotices(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv) {
    chooseHeadlessPlatform();
    qInstallMessageHandler(quietNotices);
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    QTextStream out(stdout);

    const kelmira::ParsedOptions parsed = kelmira::parseRenderOptions(app.arguments().mid(1));
    if (parsed.options.help) {
        out << kelmira::renderHelpText();
        return kelmira::kExitOk;
    }
    if (!parsed.ok()) {
        err << QStringLiteral("kelmira-render: ") << parsed.error << Qt::endl
            << QStringLiteral("Справка: kelmira-render --help") << Qt::endl;
        return kelmira::kExitUsage;
    }
    return kelmira::runRender(parsed.options, out, err);
}
