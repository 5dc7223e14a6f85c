#include "renderoptions.h"

#include "export/gltfexport.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace kelmira {

namespace {

// Camera angles and shifts far beyond this only lose precision; nobody means them.
constexpr double kMaxCameraValue = 1e6;

std::optional<double> parseCameraNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || std::abs(v) > kMaxCameraValue)
        return std::nullopt;
    return v;
}

QString badValue(const QString& option, const QString& value, const QString& expected) {
    return QStringLiteral("неверное значение «%1» параметра %2: %3").arg(value, option, expected);
}

} // namespace

QSize defaultRenderSize(ViewMode view) {
    // Measured in the editor at its start size (kelmira-startup-probe under Xvfb).
    return view == ViewMode::Standard ? QSize(968, 768) : QSize(469, 343);
}

std::optional<ImageFormat> imageFormatForPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return ImageFormat::Png;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return ImageFormat::Jpeg;
    if (suffix == QLatin1String("bmp"))
        return ImageFormat::Bmp;
    return std::nullopt;
}

std::optional<ViewMode> viewModeFromName(const QString& name) {
    static const struct {
        const char* name;
        ViewMode view;
    } kViews[] = {{"front", ViewMode::Front},
                  {"side", ViewMode::Side},
                  {"top", ViewMode::Top},
                  {"3d", ViewMode::ThreeD},
                  {"sheet", ViewMode::Standard}};
    for (const auto& v : kViews)
        if (name.compare(QLatin1String(v.name), Qt::CaseInsensitive) == 0)
            return v.view;
    return std::nullopt;
}

ParsedOptions parseRenderOptions(const QStringList& args) {
    ParsedOptions result;
    RenderOptions& o = result.options;
    std::optional<QSize> size;
    QString pictureOption; // the first option given that only a picture uses
    auto fail = [&result](const QString& message) {
        result.error = message;
        return result;
    };

    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            o.help = true;
            return result;
        }
        if (arg == QLatin1String("--strict")) {
            o.strict = true;
            continue;
        }
        if (arg == QLatin1String("--immediate")) {
            o.immediate = true;
            if (pictureOption.isEmpty())
                pictureOption = arg;
            continue;
        }
        if (!arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            if (!o.project.isEmpty())
                return fail(QStringLiteral("указано больше одного файла проекта: «%1» и «%2»")
                                .arg(o.project, arg));
            o.project = arg;
            continue;
        }

        // An option with a value: "--name value", "--name=value" or "-o value".
        QString name = arg, value;
        bool haveValue = false;
        if (arg.startsWith(QLatin1String("--"))) {
            const qsizetype eq = arg.indexOf(QLatin1Char('='));
            if (eq > 0) {
                name = arg.left(eq);
                value = arg.mid(eq + 1);
                haveValue = true;
            }
        }
        static const QStringList kValued{"-o",         "--output", "--view",     "--size",
                                         "--yaw",      "--pitch",  "--distance", "--pan",
                                         "--settings", "--repeat", "--select"};
        if (!kValued.contains(name))
            return fail(QStringLiteral("неизвестный параметр «%1»").arg(arg));
        if (!haveValue) {
            if (i + 1 >= args.size())
                return fail(QStringLiteral("у параметра %1 нет значения").arg(name));
            value = args[++i];
        }
        static const QStringList kPictureOnly{"--view", "--size",     "--yaw",    "--pitch",
                                              "--pan",  "--distance", "--repeat", "--select"};
        if (pictureOption.isEmpty() && kPictureOnly.contains(name))
            pictureOption = name;

        if (name == QLatin1String("-o") || name == QLatin1String("--output")) {
            o.output = value;
        } else if (name == QLatin1String("--view")) {
            const auto view = viewModeFromName(value);
            if (!view)
                return fail(badValue(name, value,
                                     QStringLiteral("ожидается front, side, top, 3d или sheet")));
            o.view = *view;
        } else if (name == QLatin1String("--size")) {
            static const QRegularExpression re(QStringLiteral("^(\\d{1,9})[xX](\\d{1,9})$"));
            const auto m = re.match(value.trimmed());
            const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
            const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
            if (w < 1 || h < 1 || w > kMaxRenderSide || h > kMaxRenderSide)
                return fail(badValue(name, value,
                                     QStringLiteral("ожидается ШИРИНАxВЫСОТА, от 1 до %1 пикселей")
                                         .arg(kMaxRenderSide)));
            size = QSize(w, h);
        } else if (name == QLatin1String("--yaw") || name == QLatin1String("--pitch")) {
            const auto v = parseCameraNumber(value);
            if (!v)
                return fail(badValue(name, value, QStringLiteral("ожидается число градусов")));
            (name == QLatin1String("--yaw") ? o.camera.CameraYaw : o.camera.CameraPitch) = *v;
        } else if (name == QLatin1String("--distance")) {
            bool ok = false;
            const int p = value.trimmed().toInt(&ok);
            if (!ok || p < kZoomMin || p > kZoomMax)
                return fail(badValue(
                    name, value,
                    QStringLiteral("ожидается целое от %1 до %2").arg(kZoomMin).arg(kZoomMax)));
            o.zoom = p;
        } else if (name == QLatin1String("--pan")) {
            const QStringList parts = value.split(QLatin1Char(','));
            const auto x = parts.size() == 2 ? parseCameraNumber(parts[0]) : std::nullopt;
            const auto y = parts.size() == 2 ? parseCameraNumber(parts[1]) : std::nullopt;
            if (!x || !y)
                return fail(badValue(name, value, QStringLiteral("ожидается X,Y")));
            o.camera.CameraPanX = *x;
            o.camera.CameraPanY = *y;
        } else if (name == QLatin1String("--repeat")) {
            bool ok = false;
            const int n = value.trimmed().toInt(&ok);
            if (!ok || n < 1 || n > kMaxRepeat)
                return fail(badValue(name, value,
                                     QStringLiteral("ожидается целое от 1 до %1").arg(kMaxRepeat)));
            o.repeat = n;
        } else if (name == QLatin1String("--select")) {
            bool ok = false;
            const int n = value.trimmed().toInt(&ok);
            if (!ok || n < 1)
                return fail(badValue(name, value,
                                     QStringLiteral("ожидается номер детали в проекте, от 1")));
            o.select = n;
        } else if (name == QLatin1String("--settings")) {
            if (value.isEmpty())
                return fail(QStringLiteral("у параметра --settings пустой путь"));
            o.settingsPath = value;
        }
    }

    if (o.project.isEmpty())
        return fail(QStringLiteral("не указан файл проекта"));
    if (o.output.isEmpty())
        return fail(QStringLiteral("не указан файл изображения или модели (-o ФАЙЛ)"));
    if (gltfContainerForPath(o.output)) {
        // A model has no camera, size or frame time: such an option means a mix-up.
        if (!pictureOption.isEmpty())
            return fail(QStringLiteral("параметр %1 относится к картинке, а «%2» — 3D-модель")
                            .arg(pictureOption, o.output));
        o.model = true;
        return result;
    }
    const auto format = imageFormatForPath(o.output);
    if (!format)
        return fail(QStringLiteral("неизвестный формат файла «%1»: ожидается изображение .png, "
                                   ".jpg, .jpeg или .bmp либо 3D-модель .glb или .gltf")
                        .arg(o.output));
    o.format = *format;
    o.size = size.value_or(defaultRenderSize(o.view));
    if (o.view == ViewMode::Standard &&
        (o.size.width() < kMinSheetSide || o.size.height() < kMinSheetSide))
        return fail(QStringLiteral("размер %1x%2 слишком мал для четырёх видов: нужно не меньше "
                                   "%3x%3")
                        .arg(o.size.width())
                        .arg(o.size.height())
                        .arg(kMinSheetSide));
    return result;
}

QString renderHelpText() {
    const QSize sheet = defaultRenderSize(ViewMode::Standard);
    const QSize pane = defaultRenderSize(ViewMode::Front);
    const CameraState cam;
    return QStringLiteral(
               "Использование: kelmira-render ПРОЕКТ.kelmar -o ИЗОБРАЖЕНИЕ [параметры]\n"
               "       kelmira-render ПРОЕКТ.kelmar -o МОДЕЛЬ.glb|.gltf [--settings ФАЙЛ]\n"
               "\n"
               "Рисует плату из файла проекта без окна редактора и без дисплея и сохраняет\n"
               "картинку в формате PNG, JPEG или BMP либо 3D-модель glTF 2.0 для других\n"
               "программ (по расширению файла).\n"
               "\n"
               "Параметры:\n"
               "  -o, --output ФАЙЛ   файл изображения (.png, .jpg, .jpeg, .bmp) или модели\n"
               "                      (.glb — двоичный, .gltf — JSON со встроенными данными)\n"
               "  --view ВИД          front (спереди), side (сбоку), top (сверху), 3d (3D-вид)\n"
               "                      или sheet (все четыре вида с подписями, как в окне\n"
               "                      редактора); по умолчанию sheet\n"
               "  --size ШxВ          размер в пикселях; по умолчанию %1x%2 для sheet и %3x%4\n"
               "                      для одного вида (размеры в окне редактора при запуске)\n"
               "  --yaw ГРАДУСЫ       поворот 3D-камеры вокруг вертикали (по умолчанию %5)\n"
               "  --pitch ГРАДУСЫ     наклон 3D-камеры (по умолчанию %6)\n"
               "  --distance P        удаление 3D-камеры, положение ползунка 0..100\n"
               "                      (по умолчанию %7)\n"
               "  --pan X,Y           сдвиг 3D-камеры (по умолчанию %8,%9)\n"
               "  --settings ФАЙЛ     цвета и вид сцены из файла настроек редактора\n"
               "                      (Data/Settings.ini); без него — значения по умолчанию;\n"
               "                      для модели — предметный столик, цвета и шаг поворота\n"
               "  --strict            неполный или повреждённый проект считать ошибкой\n"
               "  --repeat N          после одного пробного кадра нарисовать картинку ещё N\n"
               "                      раз и вывести среднее и лучшее время кадра (для замеров)\n"
               "  --select N          выделить рамкой деталь N (номер по порядку в файле\n"
               "                      проекта, с 1), как выбранную деталь в редакторе\n"
               "  --immediate         рисовать каждый вызов заново, без сохранённой геометрии\n"
               "                      (эталон для сравнения картинок и времени кадра)\n"
               "  -h, --help          эта справка\n"
               "\n"
               "Файл, который не является проектом (пустой или не начинающийся с числа\n"
               "компонентов), — ошибка: код выхода 1, файл изображения или модели не\n"
               "создаётся. Неполный или повреждённый проект: рисуются компоненты, прочитанные\n"
               "до места ошибки (как при загрузке в редакторе), а на stderr выводится\n"
               "предупреждение; с --strict это ошибка: файл не создаётся и код выхода 1.\n"
               "\n"
               "3D-модель (.glb или .gltf) содержит сцену, которую показывает редактор, в\n"
               "метрах: единица сцены — 1 см, плата 20 x 20 см, ось Y вверх. Узлы: «Плата»,\n"
               "«Предметный столик» (если он показан) и каждый размещённый компонент под\n"
               "своим именем с номером среди компонентов этого вида в списке размещённых\n"
               "(«Резистор 3»). Грани — треугольники, контуры и выводы — линии; каждый цвет —\n"
               "свой материал без освещения (KHR_materials_unlit). Оси и сетки плоскостей в\n"
               "модель не входят. Для модели OpenGL не нужен; параметры камеры, размера и\n"
               "замера времени к ней не применяются.\n"
               "\n"
               "Коды выхода: 0 — файл сохранён; 1 — проект или настройки не прочитаны, файл\n"
               "не записан или нет OpenGL; 2 — неверная командная строка. При ошибке файл\n"
               "изображения или модели не создаётся и не изменяется.\n")
        .arg(sheet.width())
        .arg(sheet.height())
        .arg(pane.width())
        .arg(pane.height())
        .arg(cam.CameraYaw)
        .arg(cam.CameraPitch)
        .arg(kZoomStart)
        .arg(cam.CameraPanX)
        .arg(cam.CameraPanY);
}

} // namespace kelmira
