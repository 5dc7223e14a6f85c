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

} // namespace

int main(int argc, char** argv) {
    chooseHeadlessPlatform();
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
    return kelmira::runRender(parsed.options, err);
}
