#include "engine/metafile/Player.h"

#include "engine/base/Limits.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace engine::metafile {
namespace {

constexpr double pi = std::numbers::pi;

double scaleOf(const Xform& xf) {
    return std::sqrt(std::fabs(xf.determinant()));
}

} // namespace

Point Player::map(double x, double y) const {
    const Xform& t = transform_;
    return {x * t.m11 + y * t.m21 + t.dx, x * t.m12 + y * t.m22 + t.dy};
}

void Player::saveContext() {
    if (saved_.size() < limits::maxSavedContextDepth)
        saved_.push_back(dc_);
}

void Player::restoreContext(std::int32_t which) {
    if (saved_.empty())
        return;
    std::size_t index;
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(which));
        if (back > saved_.size())
            return;
        index = saved_.size() - back;
    } else {
        // Absolute levels count from 1, the first copy saved.
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size())
            return;
        index = static_cast<std::size_t>(which) - 1;
    }
    dc_ = saved_[index];
    saved_.resize(index);
    updateTransform();
    applyClip();
}

void Player::applyClip() {
    if (dc_.clipped)
        canvas_.clipTo(dc_.clipFrom, dc_.clipTo);
    else
        canvas_.clearClip();
}

void Player::setDeviceClip(Point a, Point b) {
    dc_.clipped = true;
    dc_.clipFrom = {std::min(a.x, b.x), std::min(a.y, b.y)};
    dc_.clipTo = {std::max(a.x, b.x), std::max(a.y, b.y)};
    applyClip();
}

void Player::intersectDeviceClip(Point a, Point b) {
    Point from{std::min(a.x, b.x), std::min(a.y, b.y)};
    Point to{std::max(a.x, b.x), std::max(a.y, b.y)};
    if (dc_.clipped) {
        from = {std::max(from.x, dc_.clipFrom.x), std::max(from.y, dc_.clipFrom.y)};
        to = {std::max(from.x, std::min(to.x, dc_.clipTo.x)),
              std::max(from.y, std::min(to.y, dc_.clipTo.y))};
    }
    setDeviceClip(from, to);
}

void Player::intersectClip(double left, double top, double right, double bottom) {
    intersectDeviceClip(map(left, top), map(right, bottom));
}

void Player::resetClip() {
    dc_.clipped = false;
    applyClip();
}

void Player::selectObject(const Object& object) {
    if (const Pen* pen = std::get_if<Pen>(&object))
        dc_.pen = *pen;
    else if (const Brush* brush = std::get_if<Brush>(&object))
        dc_.brush = *brush;
    else if (const Font* font = std::get_if<Font>(&object))
        dc_.font = *font;
}

bool Player::stroked(Stroke& stroke) const {
    if (dc_.pen.style == Pen::Style::Null)
        return false;
    stroke.color = dc_.pen.color & 0xFFFFFF;
    const double width = dc_.pen.width * scaleOf(transform_);
    stroke.width = width > 0 ? std::max(width, devicePixel() * 0.5) : devicePixel();
    stroke.style = dc_.pen.style;
    stroke.cap = dc_.pen.cap;
    stroke.join = dc_.pen.join;
    return true;
}

bool Player::filled(Fill& fill) const {
    if (dc_.brush.style == Brush::Style::Null)
        return false;
    fill.color = dc_.brush.color & 0xFFFFFF;
    fill.winding = dc_.winding;
    fill.hatched = dc_.brush.style == Brush::Style::Hatched;
    fill.hatch = dc_.brush.hatch;
    return true;
}

void Player::finishShape(bool stroke, bool fill) {
    if (inPath_)
        return;
    Stroke s;
    Fill f;
    const bool hasStroke = stroke && stroked(s);
    const bool hasFill = fill && filled(f);
    canvas_.drawPath(hasStroke ? &s : nullptr, hasFill ? &f : nullptr);
}

void Player::moveTo(Point p) {
    dc_.position = p;
    if (inPath_)
        canvas_.moveTo(map(p.x, p.y));
}

void Player::lineTo(Point p) {
    if (!inPath_ || canvas_.pathEmpty())
        canvas_.moveTo(map(dc_.position.x, dc_.position.y));
    canvas_.lineTo(map(p.x, p.y));
    dc_.position = p;
    finishShape(true, false);
}

void Player::polyline(std::span<const Point> points, bool closed) {
    if (points.empty())
        return;
    canvas_.moveTo(map(points[0].x, points[0].y));
    for (std::size_t i = 1; i < points.size(); ++i)
        canvas_.lineTo(map(points[i].x, points[i].y));
    if (closed)
        canvas_.closeFigure();
}

void Player::polyBezier(std::span<const Point> points, bool fromCurrent) {
    std::size_t i = 0;
    if (!fromCurrent) {
        if (points.empty())
            return;
        canvas_.moveTo(map(points[0].x, points[0].y));
        i = 1;
    } else if (!inPath_ || canvas_.pathEmpty()) {
        canvas_.moveTo(map(dc_.position.x, dc_.position.y));
    }
    for (; i + 3 <= points.size(); i += 3)
        canvas_.curveTo(map(points[i].x, points[i].y), map(points[i + 1].x, points[i + 1].y),
                        map(points[i + 2].x, points[i + 2].y));
    if (fromCurrent && i > 0)
        dc_.position = points[i - 1];
}

void Player::rectangle(double left, double top, double right, double bottom) {
    canvas_.moveTo(map(left, top));
    canvas_.lineTo(map(right, top));
    canvas_.lineTo(map(right, bottom));
    canvas_.lineTo(map(left, bottom));
    canvas_.closeFigure();
}

void Player::ellipseSegments(double cx, double cy, double rx, double ry, double from, double sweep,
                             bool connect) {
    // Cubic pieces of at most a quarter turn each; y grows downwards, so a positive sweep
    // turns counter-clockwise as seen.
    auto at = [&](double t) { return Point{cx + rx * std::cos(t), cy - ry * std::sin(t)}; };
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / (pi / 2) - 1e-9)));
    const double step = sweep / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    Point p0 = at(from);
    const Point start = map(p0.x, p0.y);
    if (connect && !canvas_.pathEmpty())
        canvas_.lineTo(start);
    else
        canvas_.moveTo(start);
    for (int i = 0; i < pieces; ++i) {
        const double t0 = from + step * i, t1 = t0 + step;
        const Point p3 = at(t1);
        const Point c1{p0.x - k * rx * std::sin(t0), p0.y - k * ry * std::cos(t0)};
        const Point c2{p3.x + k * rx * std::sin(t1), p3.y + k * ry * std::cos(t1)};
        canvas_.curveTo(map(c1.x, c1.y), map(c2.x, c2.y), map(p3.x, p3.y));
        p0 = p3;
    }
}

void Player::ellipse(double left, double top, double right, double bottom) {
    const double rx = std::fabs(right - left) / 2, ry = std::fabs(bottom - top) / 2;
    ellipseSegments((left + right) / 2, (top + bottom) / 2, rx, ry, 0, 2 * pi, false);
    canvas_.closeFigure();
}

void Player::roundRect(double left, double top, double right, double bottom, double width,
                       double height) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    const double rx = std::min(std::fabs(width) / 2, (right - left) / 2);
    const double ry = std::min(std::fabs(height) / 2, (bottom - top) / 2);
    if (!(rx > 0) || !(ry > 0))
        return rectangle(left, top, right, bottom);
    ellipseSegments(right - rx, top + ry, rx, ry, pi / 2, -pi / 2, false);
    ellipseSegments(right - rx, bottom - ry, rx, ry, 0, -pi / 2, true);
    ellipseSegments(left + rx, bottom - ry, rx, ry, -pi / 2, -pi / 2, true);
    ellipseSegments(left + rx, top + ry, rx, ry, -pi, -pi / 2, true);
    canvas_.closeFigure();
}

void Player::arc(ArcKind kind, double left, double top, double right, double bottom, Point start,
                 Point end) {
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const double rx = std::fabs(right - left) / 2, ry = std::fabs(bottom - top) / 2;
    if (!(rx > 0) || !(ry > 0))
        return;
    const double from = std::atan2(-(start.y - cy) / ry, (start.x - cx) / rx);
    const double to = std::atan2(-(end.y - cy) / ry, (end.x - cx) / rx);
    double sweep = to - from;
    if (dc_.clockwise) {
        while (sweep >= 0)
            sweep -= 2 * pi;
    } else {
        while (sweep <= 0)
            sweep += 2 * pi;
    }
    const bool fromCurrent = kind == ArcKind::ArcTo;
    if (kind == ArcKind::Pie) {
        const Point centre = map(cx, cy);
        canvas_.moveTo(centre);
        ellipseSegments(cx, cy, rx, ry, from, sweep, true);
        canvas_.closeFigure();
    } else {
        if (fromCurrent && (!inPath_ || canvas_.pathEmpty()))
            canvas_.moveTo(map(dc_.position.x, dc_.position.y));
        ellipseSegments(cx, cy, rx, ry, from, sweep, fromCurrent);
        if (kind == ArcKind::Chord)
            canvas_.closeFigure();
    }
    if (fromCurrent)
        dc_.position = {cx + rx * std::cos(from + sweep), cy - ry * std::sin(from + sweep)};
    finishShape(true, kind == ArcKind::Chord || kind == ArcKind::Pie);
}

void Player::fillRect(Point a, Point b, ColorRef color) {
    if (inPath_)
        return;
    canvas_.moveTo(map(a.x, a.y));
    canvas_.lineTo(map(b.x, a.y));
    canvas_.lineTo(map(b.x, b.y));
    canvas_.lineTo(map(a.x, b.y));
    canvas_.closeFigure();
    Fill fill;
    fill.color = color & 0xFFFFFF;
    fill.winding = true;
    canvas_.drawPath(nullptr, &fill);
}

void Player::text(Point reference, const std::string& utf8, double advance) {
    if (utf8.empty() || inPath_)
        return;
    TextRun run;
    run.at = map(reference.x, reference.y);
    run.text = utf8;
    const Xform& t = transform_;
    const double ys = std::hypot(t.m21, t.m22), xs = std::hypot(t.m11, t.m12);
    run.size = std::fabs(dc_.font.height) * ys;
    if (dc_.font.height > 0)
        run.size *= 0.85; // a cell height holds the internal leading too
    if (dc_.font.height == 0)
        run.size = 12 * devicePixel();
    run.length = advance > 0 ? advance * xs : 0;
    run.angle = dc_.font.escapement / 10.0;
    if (t.m11 != 0 || t.m12 != 0)
        run.angle += std::atan2(-t.m12, t.m11) * 180 / pi;
    run.angle = std::remainder(run.angle, 360.0);
    if (std::fabs(run.angle) < 0.01)
        run.angle = 0;
    run.align = dc_.textAlign;
    run.font = &dc_.font;
    run.color = dc_.textColor & 0xFFFFFF;
    canvas_.text(run);
}

void Player::bitmap(Point topLeft, double width, double height, std::span<const std::uint8_t> bmp) {
    if (inPath_)
        return;
    canvas_.image(map(topLeft.x, topLeft.y), map(topLeft.x + width, topLeft.y + height), bmp);
}

void Player::beginPath() {
    canvas_.discardPath();
    inPath_ = true;
}

void Player::abortPath() {
    canvas_.discardPath();
    inPath_ = false;
}

void Player::closeFigure() {
    if (inPath_)
        canvas_.closeFigure();
}

void Player::drawOpenPath(bool stroke, bool fill) {
    inPath_ = false;
    finishShape(stroke, fill);
}

} // namespace engine::metafile
