// The starter effect shapes: closed paths of 3000 points, displacements in 16-bit
// pan/tilt units at gain 1024 (the default gain of 102 moves a head by a tenth).
#include <cmath>
#include <functional>

#include "data/library_sources.h"

namespace j4::data {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double A = 30000.0;  // amplitude, inside the int16 range with room to spare

struct Point {
    double x, y;
};

// Walks a closed polygon at constant speed.
Point polygon(const std::vector<Point>& corners, double t) {
    const double side = t * static_cast<double>(corners.size());
    const size_t i = static_cast<size_t>(side) % corners.size();
    const double f = side - std::floor(side);
    const Point& a = corners[i];
    const Point& b = corners[(i + 1) % corners.size()];
    return {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f};
}

Point circle(double t) {
    return {A * std::cos(2 * PI * t), A * std::sin(2 * PI * t)};
}
Point figureEight(double t) {
    return {A * std::sin(2 * PI * t), A * std::sin(4 * PI * t) / 2};
}
Point square(double t) {
    return polygon({{-A, -A}, {A, -A}, {A, A}, {-A, A}}, t);
}
Point triangle(double t) {
    const double h = A * std::sqrt(3.0) / 2;
    return polygon({{0, A}, {h, -A / 2}, {-h, -A / 2}}, t);
}
Point line(double t) {
    return {A * (1 - 4 * std::fabs(t - 0.5)), 0};
}  // -A .. A .. -A
Point diamond(double t) {
    return polygon({{A, 0}, {0, A}, {-A, 0}, {0, -A}}, t);
}
Point lissajous(double t) {
    return {A * std::sin(3 * 2 * PI * t + PI / 2), A * std::sin(2 * 2 * PI * t)};
}
Point leaf(double t) {
    // A three-petal rose; half a turn of the angle closes it.
    const double angle = PI * t;
    const double r = A * std::cos(3 * angle);
    return {r * std::cos(angle), r * std::sin(angle)};
}

const std::vector<StarterEffect> EFFECTS = {
    {"{0144A12B-5804-4F8C-9F98-B379DB651B87}", "Circle", "Circle.eff"},
    {"{9CF79A60-C783-43C0-88EA-3E1029F99892}", "Diamond", "Diamond.eff"},
    {"{62BDFA6C-F209-4F63-985A-6562BA7A9E3D}", "Figure Eight", "Figure Eight.eff"},
    {"{0522A6C1-2D7B-4CFA-B09B-5C24B94A01DA}", "Leaf", "Leaf.eff"},
    {"{98936C80-AEF1-4BCF-BB0E-94FB5FA9EA7A}", "Line", "Line.eff"},
    {"{B1490500-5E8F-4DD9-8DE4-4BEA2A5AF327}", "Lissajous", "Lissajous.eff"},
    {"{3FC44E23-C02A-4934-AB8D-6E72E401EB67}", "Square", "Square.eff"},
    {"{9391BFC4-DFA9-4C7C-B89C-FDFC5B1A908A}", "Triangle", "Triangle.eff"},
};

std::function<Point(double)> pathOf(const std::string& name) {
    if (name == "Circle") return circle;
    if (name == "Diamond") return diamond;
    if (name == "Figure Eight") return figureEight;
    if (name == "Leaf") return leaf;
    if (name == "Line") return line;
    if (name == "Lissajous") return lissajous;
    if (name == "Square") return square;
    if (name == "Triangle") return triangle;
    return nullptr;
}

}  // namespace

const std::vector<StarterEffect>& starterEffects() {
    return EFFECTS;
}

std::unique_ptr<show::EffectShape> makeStarterEffect(const StarterEffect& effect) {
    const auto path = pathOf(effect.name);
    const auto identity = common::Identity::fromText(effect.identity);
    if (!path || !identity) return nullptr;
    auto shape = std::make_unique<show::EffectShape>();
    shape->identity = *identity;
    shape->name = effect.name;
    for (int i = 0; i < show::EFFECT_POINTS; ++i) {
        const Point p = path(static_cast<double>(i) / show::EFFECT_POINTS);
        shape->points[i] = {static_cast<int16_t>(std::lround(p.x)),
                            static_cast<int16_t>(std::lround(p.y))};
    }
    return shape;
}

}  // namespace j4::data
