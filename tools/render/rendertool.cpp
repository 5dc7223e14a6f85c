#include "rendertool.h"

#include "board/editor.h"
#include "export/gltfexport.h"
#include "io/filewrite.h"
#include "io/projectfile.h"
#include "io/valuereader.h"
#include "render/offscreen.h"
#include "settings/ini.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <algorithm>

namespace kelmira {

namespace {

QByteArray writerFormat(ImageFormat f) {
    switch (f) {
    case ImageFormat::Jpeg:
        return "jpeg";
    case ImageFormat::Bmp:
        return "bmp";
    case ImageFormat::Png:
        break;
    }
    return "png";
}

int failWith(QTextStream& err, const QString& message) {
    err << QStringLiteral("kelmira-render: ошибка: ") << message << Qt::endl;
    return kExitFailed;
}

// The file layer words its messages as sentences; here they follow "ошибка: ".
QString asClause(QString sentence) {
    if (sentence.endsWith(QLatin1Char('.')))
        sentence.chop(1);
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toLower();
    return sentence;
}

// A project begins with its count of components. A file that does not (an empty one, or one
// whose first value is no number) is some other file given by mistake: drawn as an empty
// board it would pass a script's exit-code check. Gives the reason, or nothing for a file
// that begins like a project or cannot be read (the load reports that).
QString notAProject(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    ValueReader reader(&file);
    const ValueReader::Result first = reader.read();
    const QString name = displayPath(path);
    switch (first.status) {
    case ValueReader::Status::EndOfFile:
        return QStringLiteral("«%1» — не файл проекта: он пуст, а проект начинается с числа "
                              "компонентов")
            .arg(name);
    case ValueReader::Status::Invalid:
        return QStringLiteral("«%1» — не файл проекта: в строке %2 вместо числа компонентов "
                              "стоит «%3»")
            .arg(name, QString::number(reader.line()), reader.lastTokenForDisplay());
    case ValueReader::Status::Value:
    case ValueReader::Status::DeviceError:
        break;
    }
    return {};
}

} // namespace

int runRender(const RenderOptions& o, QTextStream& out, QTextStream& err) {
    StoredSettings stored;
    if (!o.settingsPath.isEmpty()) {
        // The editor starts from its defaults when its own file is missing; a file named on
        // the command line that is not there is a mistake worth reporting.
        const QFileInfo info(o.settingsPath);
        if (!info.exists() || !info.isFile())
            return failWith(err,
                            QStringLiteral("файл настроек «%1» не найден").arg(o.settingsPath));
        IniFile ini(o.settingsPath);
        if (!ini.load())
            return failWith(
                err, QStringLiteral("не удалось прочитать файл настроек «%1»").arg(o.settingsPath));
        stored = readStoredSettings(ini);
    }
    const SceneSettings settings = sceneSettingsFrom(stored);

    const QFileInfo projectInfo(o.project);
    if (projectInfo.isDir())
        return failWith(err, QStringLiteral("«%1» — папка, а не файл проекта").arg(o.project));
    if (const QString why = notAProject(o.project); !why.isEmpty())
        return failWith(err, why);
    Editor editor;
    const LoadResult loaded = loadProject(editor, o.project);
    if (!loaded.boardReplaced())
        return failWith(err, loaded.message);
    if (!loaded.ok()) {
        if (o.strict)
            return failWith(err, loaded.message);
        err << QStringLiteral("kelmira-render: предупреждение: ") << loaded.message << Qt::endl;
    }

    if (o.model) {
        // No GL: the model is written from the geometry the panes keep, not from pixels.
        const WriteOutcome written = exportGltf(editor.board(), settings, o.output);
        return written.ok ? kExitOk : failWith(err, asClause(written.message));
    }

    // Opened before the costly part so that an unwritable place is reported at once; the
    // temporary file goes away unless the picture is complete.
    QSaveFile file(o.output);
    if (!file.open(QIODevice::WriteOnly))
        return failWith(
            err,
            QStringLiteral("не удалось записать файл «%1»: %2").arg(o.output, file.errorString()));

    OffscreenRenderer renderer;
    if (!renderer.isValid())
        return failWith(err, QStringLiteral("OpenGL недоступен: %1").arg(renderer.errorString()));

    if (o.select > editor.board().count())
        return failWith(err, QStringLiteral("в проекте нет детали %1: в нём %2 деталей")
                                 .arg(o.select)
                                 .arg(editor.board().count()));
    const FrameInput in{editor.board(), settings, o.camera, o.zoom, o.select - 1};
    const QColor windowColor = ColorValue(stored.form1Color).toQColor();
    const auto path =
        o.immediate ? OffscreenRenderer::Path::Immediate : OffscreenRenderer::Path::Kept;
    auto draw = [&] {
        return o.view == ViewMode::Standard
                   ? renderer.renderSheet(o.size, in, true, windowColor, path)
                   : renderer.renderPane(paneOfMode(o.view), o.size, in, path);
    };
    QImage image = draw();
    // Timed renders follow an untimed one, which pays for the driver's first-use set-up.
    qint64 total = 0, best = -1;
    for (int i = 0; o.repeat > 1 && i < o.repeat && !image.isNull(); ++i) {
        QElapsedTimer clock;
        clock.start();
        image = draw();
        const qint64 ns = clock.nsecsElapsed();
        total += ns;
        best = best < 0 ? ns : std::min(best, ns);
    }
    if (image.isNull())
        return failWith(err, QStringLiteral("не удалось нарисовать изображение %1x%2")
                                 .arg(o.size.width())
                                 .arg(o.size.height()));
    if (o.repeat > 1)
        out << QStringLiteral("кадр %1x%2, %3: среднее %4 мс, лучшее %5 мс из %6; компонентов: "
                              "%7; OpenGL: %8")
                   .arg(o.size.width())
                   .arg(o.size.height())
                   .arg(o.view == ViewMode::Standard ? QStringLiteral("четыре вида")
                                                     : QStringLiteral("один вид"))
                   .arg(double(total) / 1e6 / o.repeat, 0, 'f', 2)
                   .arg(double(best) / 1e6, 0, 'f', 2)
                   .arg(o.repeat)
                   .arg(loaded.placed)
                   .arg(renderer.backend() == OffscreenRenderer::Backend::Egl
                            ? QStringLiteral("EGL без дисплея")
                            : QStringLiteral("Qt"))
            << Qt::endl;

    // The panes are opaque; the files carry no alpha channel (BMP as 24-bit, like the
    // editor's saved images).
    image = image.convertToFormat(o.format == ImageFormat::Bmp ? QImage::Format_RGB888
                                                               : QImage::Format_RGB32);
    QImageWriter writer(&file, writerFormat(o.format));
    if (o.format == ImageFormat::Jpeg)
        writer.setQuality(95);
    if (!writer.write(image))
        return failWith(err, QStringLiteral("не удалось записать файл «%1»: %2")
                                 .arg(o.output, writer.errorString()));
    if (!file.commit())
        return failWith(
            err,
            QStringLiteral("не удалось записать файл «%1»: %2").arg(o.output, file.errorString()));
    return kExitOk;
}

} // namespace kelmira
