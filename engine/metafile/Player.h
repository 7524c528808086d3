#pragma once
// What the two metafile formats share when they are played: the device context and its saved
// copies, the object table, and figures turned into paths of the SVG canvas.

#include "engine/base/Limits.h"
#include "engine/metafile/GdiState.h"
#include "engine/metafile/SvgCanvas.h"

#include <cstddef>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace engine::metafile {

class Player {
public:
    virtual ~Player() = default;

protected:
    using Object = std::variant<std::monostate, Pen, Brush, Font>;
    enum class ArcKind { Arc, Chord, Pie, ArcTo };

    Player() : canvas_(limits::maxMetafileSvgBytes) {}

    // The transform from logical to device units of the current state.
    virtual Xform pageTransform() const = 0;
    // Device units that make one pixel of the finished picture.
    virtual double devicePixel() const { return 1; }
    void updateTransform() { transform_ = dc_.world.then(pageTransform()); }
    Point map(double x, double y) const;
    const Xform& transform() const { return transform_; }

    void saveContext();
    void restoreContext(std::int32_t which); // negative: relative to the newest copy
    void selectObject(const Object& object);

    // Figures in logical units: drawn at once, or added to the path while one is open.
    void polyline(std::span<const Point> points, bool closed);
    void polyBezier(std::span<const Point> points, bool fromCurrent);
    void lineTo(Point p);
    void moveTo(Point p);
    void rectangle(double left, double top, double right, double bottom);
    void roundRect(double left, double top, double right, double bottom, double width,
                   double height);
    void ellipse(double left, double top, double right, double bottom);
    void arc(ArcKind kind, double left, double top, double right, double bottom, Point start,
             Point end);
    void fillRect(Point a, Point b, ColorRef color);
    void text(Point reference, const std::string& utf8, double advance);
    void bitmap(Point topLeft, double width, double height, std::span<const std::uint8_t> bmp);

    // Clipping to rectangles: in logical units, or in device units for regions.
    void intersectClip(double left, double top, double right, double bottom);
    void intersectDeviceClip(Point a, Point b);
    void setDeviceClip(Point a, Point b);
    void resetClip();

    void beginPath();
    void endPath() { inPath_ = false; }
    void abortPath();
    void closeFigure();
    void drawOpenPath(bool stroke, bool fill);

    // The shape just added is drawn unless a path is being built.
    void finishShape(bool stroke, bool fill);
    bool stroked(Stroke& stroke) const;
    bool filled(Fill& fill) const;

    DeviceContext dc_;
    std::vector<DeviceContext> saved_;
    SvgCanvas canvas_;
    bool inPath_ = false;

private:
    void applyClip();
    void ellipseSegments(double cx, double cy, double rx, double ry, double from, double sweep,
                         bool connect);
    Xform transform_{};
};

} // namespace engine::metafile
