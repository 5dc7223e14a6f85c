#include "render/renderfaults.h"

#include "render/renderstats.h"

#include <array>
#include <cstdio>

namespace kelmira {

namespace {

RenderFaultHandler& handler() {
    static RenderFaultHandler h;
    return h;
}

std::array<bool, 2> g_reported{};

} // namespace

RenderStats& renderStats() {
    static RenderStats s;
    return s;
}

QString renderFaultText(RenderFault fault) {
    switch (fault) {
    case RenderFault::OutOfMemory:
        return QStringLiteral("Недостаточно памяти, чтобы обновить изображение платы. Виды "
                              "показывают плату такой, какой она была до последнего изменения.");
    case RenderFault::UploadFailed:
        break;
    }
    return QStringLiteral("Не удалось передать изображение платы видеокарте. Виды рисуются из "
                          "оперативной памяти и могут обновляться медленнее.");
}

void reportRenderFault(RenderFault fault) {
    bool& reported = g_reported[static_cast<std::size_t>(fault)];
    if (reported)
        return;
    reported = true;
    const QString text = renderFaultText(fault);
    if (handler())
        handler()(fault, text);
    else
        std::fprintf(stderr, "kelmira: %s\n", text.toUtf8().constData());
}

RenderFaultHandler setRenderFaultHandler(RenderFaultHandler h) {
    RenderFaultHandler old = std::move(handler());
    handler() = std::move(h);
    return old;
}

void resetRenderFaultReports() {
    g_reported.fill(false);
}

} // namespace kelmira
