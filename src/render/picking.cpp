#include "render/picking.h"

#include "board/board.h"
#include "render/glpane.h"
#include "render/renderer.h"
#include "render/scenegeometry.h"

#include <QVector4D>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kelmira {

namespace {

// A vertex in window coordinates: pixels from the top-left corner, and the depth the depth
// test compares (normalised device z). Not drawable when behind the eye or past the clip
// planes in depth.
struct WinVertex {
    float x, y, z;
    bool ok;
};

WinVertex toWindow(const QMatrix4x4& m, float x, float y, float z, QSize size) {
    const QVector4D c = m * QVector4D(x, y, z, 1);
    if (c.w() <= 1e-6f)
        return {0, 0, 0, false};
    const float nx = c.x() / c.w(), ny = c.y() / c.w(), nz = c.z() / c.w();
    return {(nx + 1) / 2 * float(size.width()), (1 - ny) / 2 * float(size.height()), nz,
            nz >= -1 && nz <= 1};
}

// Depth of the triangle at p when it covers p's pixel centre, in the rasteriser's way of
// interpolating window depth linearly across the screen.
std::optional<float> triangleDepth(const WinVertex& a, const WinVertex& b, const WinVertex& c,
                                   QPointF p) {
    if (!a.ok || !b.ok || !c.ok)
        return std::nullopt;
    // Twice the area in square pixels. A disk or a cylinder's side seen edge on leaves triangles
    // of no area whose corners only rounding keeps off one line; the rasteriser draws none
    // of them, and their barycentric weights would be noise.
    const double d = double(b.y - c.y) * (a.x - c.x) + double(c.x - b.x) * (a.y - c.y);
    if (std::abs(d) < 1e-3)
        return std::nullopt;
    const double l0 = (double(b.y - c.y) * (p.x() - c.x) + double(c.x - b.x) * (p.y() - c.y)) / d;
    const double l1 = (double(c.y - a.y) * (p.x() - c.x) + double(a.x - c.x) * (p.y() - c.y)) / d;
    const double l2 = 1 - l0 - l1;
    constexpr double kEdge = -1e-6;
    if (l0 < kEdge || l1 < kEdge || l2 < kEdge)
        return std::nullopt;
    return float(l0 * a.z + l1 * b.z + l2 * c.z);
}

// Depth of a line of the given width at p when it covers p's pixel centre: a wide line covers
// the pixels within half its width across its major axis, as fixed-function GL draws it.
std::optional<float> lineDepth(const WinVertex& a, const WinVertex& b, float width, QPointF p) {
    if (!a.ok || !b.ok)
        return std::nullopt;
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double half = std::max(1.0, double(width)) / 2;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const double along = xMajor ? dx : dy;
    if (std::abs(along) < 1e-9)
        return std::nullopt;
    const double t = ((xMajor ? p.x() - a.x : p.y() - a.y)) / along;
    if (t < 0 || t > 1)
        return std::nullopt;
    const double across = xMajor ? a.y + t * dy - p.y() : a.x + t * dx - p.x();
    if (std::abs(across) > half)
        return std::nullopt;
    return float(a.z + t * (double(b.z) - a.z));
}

// The nearest depth at which `mesh`, taken to clip space by m, covers p.
std::optional<float> nearestDepth(const Mesh& mesh, const QMatrix4x4& m, QSize size, QPointF p) {
    std::vector<WinVertex> win(mesh.vertices.size());
    for (std::size_t i = 0; i < win.size(); ++i) {
        const MeshVertex& v = mesh.vertices[i];
        win[i] = toWindow(m, v.x, v.y, v.z, size);
    }
    std::optional<float> best;
    auto take = [&best](std::optional<float> z) {
        if (z && (!best || *z < *best))
            best = z;
    };
    for (const MeshBatch& b : mesh.batches) {
        const auto first = std::size_t(b.first), end = first + std::size_t(b.count);
        if (b.type == MeshBatch::Type::Triangles) {
            for (std::size_t i = first; i + 2 < end; i += 3)
                take(triangleDepth(win[i], win[i + 1], win[i + 2], p));
        } else {
            for (std::size_t i = first; i + 1 < end; i += 2)
                take(lineDepth(win[i], win[i + 1], b.lineWidth, p));
        }
    }
    return best;
}

// The box around a model in its own space, and its widest line.
struct ModelExtent {
    Box box{0, 0, 0, 0, 0, 0};
    float widest = 1;
    bool empty = true;
};

const ModelExtent& modelExtent(int32_t kind) {
    static const std::array<ModelExtent, 35> kExtents = [] {
        std::array<ModelExtent, 35> all;
        for (int32_t k = 0; k < 35; ++k) {
            const Mesh& m = SceneGeometry::modelMesh(k);
            ModelExtent& e = all[std::size_t(k)];
            for (const MeshVertex& v : m.vertices) {
                if (e.empty)
                    e.box = {v.x, v.x, v.y, v.y, v.z, v.z};
                e.empty = false;
                e.box = {std::min(e.box.x0, v.x), std::max(e.box.x1, v.x), std::min(e.box.y0, v.y),
                         std::max(e.box.y1, v.y), std::min(e.box.z0, v.z), std::max(e.box.z1, v.z)};
            }
            for (const MeshBatch& b : m.batches)
                e.widest = std::max(e.widest, b.lineWidth);
        }
        return all;
    }();
    static const ModelExtent kNone;
    return kind >= 0 && kind < 35 ? kExtents[std::size_t(kind)] : kNone;
}

QMatrix4x4 toQMatrix(const Matrix4f& m) {
    return QMatrix4x4(m.m.data()).transposed(); // Matrix4f is column-major
}

Box placedBox(const Box& b, const Matrix4f& at) {
    Box out{0, 0, 0, 0, 0, 0};
    bool first = true;
    for (float x : {b.x0, b.x1})
        for (float y : {b.y0, b.y1})
            for (float z : {b.z0, b.z1}) {
                float p[3];
                at.map(x, y, z, p);
                if (first)
                    out = {p[0], p[0], p[1], p[1], p[2], p[2]};
                first = false;
                out = {std::min(out.x0, p[0]), std::max(out.x1, p[0]), std::min(out.y0, p[1]),
                       std::max(out.y1, p[1]), std::min(out.z0, p[2]), std::max(out.z1, p[2])};
            }
    return out;
}

} // namespace

bool PaneView::operator==(const PaneView& o) const {
    if (pane != o.pane || sizePx != o.sizePx)
        return false;
    if (pane != Pane::ThreeD)
        return true; // the other panes' cameras are fixed
    return zoom == o.zoom && camera.CameraYaw == o.camera.CameraYaw &&
           camera.CameraPitch == o.camera.CameraPitch && camera.CameraPanX == o.camera.CameraPanX &&
           camera.CameraPanY == o.camera.CameraPanY;
}

QMatrix4x4 componentsToClip(const PaneView& view) {
    QMatrix4x4 m = paneProjection(view.sizePx.width(), view.sizePx.height()) *
                   paneModelView(view.pane, view.camera, view.zoom);
    m.translate(kGridCorner[0], kGridCorner[1], kGridCorner[2]);
    return m;
}

void ComponentPicker::update(Board& board, int rotationStep) {
    if (m_built && board.revision() == m_revision && rotationStep == m_step)
        return;
    m_cells.clear();
    forEachDrawnCell(board, rotationStep, [&](const DrawnCell& cell) {
        const ModelExtent& extent = modelExtent(cell.kind);
        if (extent.empty)
            return;
        Cell c;
        c.record = board.cell(cell.x, cell.y, cell.z);
        c.kind = cell.kind;
        c.x = cell.x;
        c.y = cell.y;
        c.z = cell.z;
        c.placement.translate(kCellSpacing * float(cell.x), kCellSpacing * float(cell.y),
                              kCellSpacing * float(cell.z));
        if (cell.angle)
            c.placement.rotate(float(*cell.angle), 0, 1, 0);
        c.box = placedBox(extent.box, c.placement);
        m_cells.push_back(c);
    });
    m_built = true;
    m_revision = board.revision();
    m_step = rotationStep;
}

bool ComponentPicker::screenRect(const Cell& c, const QMatrix4x4& toClip, QSize size, float grow,
                                 QRectF& rect) {
    float x0 = std::numeric_limits<float>::max(), y0 = x0;
    float x1 = -x0, y1 = -x0;
    for (float x : {c.box.x0, c.box.x1})
        for (float y : {c.box.y0, c.box.y1})
            for (float z : {c.box.z0, c.box.z1}) {
                const QVector4D p = toClip * QVector4D(x, y, z, 1);
                if (p.w() <= 1e-6f)
                    return false;
                const float wx = (p.x() / p.w() + 1) / 2 * float(size.width());
                const float wy = (1 - p.y() / p.w()) / 2 * float(size.height());
                x0 = std::min(x0, wx);
                x1 = std::max(x1, wx);
                y0 = std::min(y0, wy);
                y1 = std::max(y1, wy);
            }
    rect = QRectF(QPointF(x0 - grow, y0 - grow), QPointF(x1 + grow, y1 + grow));
    return true;
}

int32_t ComponentPicker::pick(const PaneView& view, QPointF pixel, const Mesh& occluders) const {
    if (view.sizePx.isEmpty())
        return -1;
    const QPointF centre(std::floor(pixel.x()) + 0.5, std::floor(pixel.y()) + 0.5);
    const QMatrix4x4 toClip = componentsToClip(view);
    int32_t found = -1;
    float nearest = 0;
    for (const Cell& c : m_cells) {
        const ModelExtent& extent = modelExtent(c.kind);
        QRectF rect;
        if (screenRect(c, toClip, view.sizePx, extent.widest / 2 + 1, rect) &&
            !rect.contains(centre))
            continue;
        const auto z = nearestDepth(SceneGeometry::modelMesh(c.kind),
                                    toClip * toQMatrix(c.placement), view.sizePx, centre);
        // Drawn later, an equal depth loses the depth test: the first one drawn stays.
        if (z && (found < 0 || *z < nearest)) {
            found = c.record;
            nearest = *z;
        }
    }
    if (found < 0)
        return -1;
    const QMatrix4x4 sceneToClip = paneProjection(view.sizePx.width(), view.sizePx.height()) *
                                   paneModelView(view.pane, view.camera, view.zoom);
    // The fixed scene is drawn first, so it hides a component only when strictly nearer.
    const auto hidden = nearestDepth(occluders, sceneToClip, view.sizePx, centre);
    return hidden && *hidden <= nearest ? -1 : found;
}

bool ComponentPicker::covers(const PaneView& view, QPoint pixel) const {
    const QSize size = view.sizePx;
    if (pixel.x() < 0 || pixel.y() < 0 || pixel.x() >= size.width() || pixel.y() >= size.height())
        return false;
    if (!(m_maskView == view) || m_maskRevision != m_revision || m_mask.empty()) {
        m_maskView = view;
        m_maskRevision = m_revision;
        m_mask.assign(std::size_t(size.width()) * std::size_t(size.height()), 0);
        const QMatrix4x4 toClip = componentsToClip(view);
        const QRectF whole(0, 0, size.width(), size.height());
        for (const Cell& c : m_cells) {
            QRectF rect;
            if (!screenRect(c, toClip, size, 1, rect))
                continue;
            const QRect r = rect.intersected(whole).toAlignedRect();
            for (int y = r.top(); y <= r.bottom() && y < size.height(); ++y)
                std::fill_n(m_mask.begin() + std::ptrdiff_t(y) * size.width() + r.left(),
                            std::min(r.width(), size.width() - r.left()), uint8_t(1));
        }
    }
    return m_mask[std::size_t(pixel.y()) * std::size_t(size.width()) + std::size_t(pixel.x())];
}

std::optional<Box> ComponentPicker::bounds(int32_t index) const {
    std::optional<Box> out;
    for (const Cell& c : m_cells) {
        if (c.record != index)
            continue;
        if (!out)
            out = c.box;
        out = Box{std::min(out->x0, c.box.x0), std::max(out->x1, c.box.x1),
                  std::min(out->y0, c.box.y0), std::max(out->y1, c.box.y1),
                  std::min(out->z0, c.box.z0), std::max(out->z1, c.box.z1)};
    }
    return out;
}

std::optional<QVector3D> ComponentPicker::drawnCell(int32_t index) const {
    for (const Cell& c : m_cells)
        if (c.record == index)
            return QVector3D(float(c.x), float(c.y), float(c.z));
    return std::nullopt;
}

std::optional<QVector3D> pointOnPanePlane(const PaneView& view, QPointF pixel,
                                          const QVector3D& through) {
    if (view.pane == Pane::ThreeD || view.sizePx.isEmpty())
        return std::nullopt;
    bool invertible = false;
    const QMatrix4x4 inv = componentsToClip(view).inverted(&invertible);
    if (!invertible)
        return std::nullopt;
    const float nx = float(2 * pixel.x() / view.sizePx.width() - 1);
    const float ny = float(1 - 2 * pixel.y() / view.sizePx.height());
    const QVector3D near = inv.map(QVector3D(nx, ny, -1));
    const QVector3D far = inv.map(QVector3D(nx, ny, 1));
    const QVector3D normal = view.pane == Pane::Top    ? QVector3D(0, 1, 0)
                             : view.pane == Pane::Side ? QVector3D(1, 0, 0)
                                                       : QVector3D(0, 0, 1);
    const QVector3D dir = far - near;
    const float along = QVector3D::dotProduct(dir, normal);
    if (std::abs(along) < 1e-9f)
        return std::nullopt;
    const float t = QVector3D::dotProduct(through - near, normal) / along;
    return near + t * dir;
}

} // namespace kelmira
