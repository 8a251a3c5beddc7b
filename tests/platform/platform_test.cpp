// The platform model the core shares: paths, timing curves, animations and layers; screens,
// panel configurations, the panels' stacking order and alpha fades, settings, colours and
// identifiers.
#include "platform/alpha_fade.h"
#include "platform/color.h"
#include "platform/panel_configuration.h"
#include "platform/path.h"
#include "platform/shape_layer.h"
#include "platform/timing_function.h"
#include "platform/uuid.h"
#include "sim/sim_canvas.h"
#include "sim/sim_main_loop.h"
#include "sim/sim_panel.h"
#include "sim/sim_screen_list.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace halomark {
namespace {

using Kind = PathSegment::Kind;
constexpr double pi = std::numbers::pi;

std::vector<Point> endPoints(const Path& path)
{
    std::vector<Point> ends;
    for (const PathSegment& segment : path.segments()) {
        if (segment.kind != Kind::close) {
            const Point p = segment.endPoint();
            ends.push_back({std::round(p.x * 1e6) / 1e6 + 0.0, std::round(p.y * 1e6) / 1e6 + 0.0});
        }
    }
    return ends;
}

TEST(Path, ArcsEllipsesRoundedRectsAndSubpaths)
{
    Path clockwise; // the long way round: three quarters, each ending on the circle
    clockwise.addArc({0, 0}, 10, 0, pi / 2, true);
    EXPECT_EQ(endPoints(clockwise), (std::vector<Point>{{10, 0}, {0, -10}, {-10, 0}, {0, 10}}));
    Path full; // a difference of 2 pi or more is a whole circle, not nothing
    full.addArc({5, 5}, 5, 0, 2 * pi, false);
    EXPECT_EQ(endPoints(full), (std::vector<Point>{{10, 5}, {5, 10}, {0, 5}, {5, 0}, {10, 5}}));
    Path joined; // from an existing point a line leads to the arc's start
    joined.moveTo({-20, 0});
    joined.addArc({0, 0}, 10, pi, 3 * pi / 2, false);
    EXPECT_EQ(joined.segments()[1].kind, Kind::lineTo);
    EXPECT_EQ(endPoints(joined), (std::vector<Point>{{-20, 0}, {-10, 0}, {0, -10}}));

    Path ellipse; // counter-clockwise from the rightmost point, the top next
    ellipse.addEllipse(Rect{10, 20, 104, 60});
    EXPECT_EQ(endPoints(ellipse),
              (std::vector<Point>{{114, 50}, {62, 80}, {10, 50}, {62, 20}, {114, 50}}));

    Path rounded; // corners limited to half the height; the rectangle normalised
    rounded.addRoundedRect(Rect{110, 4, -100, -4}, 5, 5);
    EXPECT_EQ(std::tuple(rounded.boundingBox(), endPoints(rounded)[0], endPoints(rounded)[2]),
              std::tuple(Rect(10, 0, 100, 4), Point(15, 0), Point(110, 2)));
    Path dot; // a zero-size rectangle: a closed outline at one point
    dot.addRoundedRect(Rect{30, 40, 0, 0}, 5, 5);
    EXPECT_EQ(std::tuple(dot.boundingBox(), dot.segments().back().kind),
              std::tuple(Rect(30, 40, 0, 0), Kind::close));

    Path path;
    path.lineTo({1, 1}); // no current point: starts a subpath
    path.lineTo({5, 1});
    path.closeSubpath();
    path.closeSubpath(); // closing twice adds nothing
    path.lineTo({3, 4}); // after a close a new subpath starts at the closed one's start
    EXPECT_EQ(path.segments(), (std::vector<PathSegment>{{Kind::moveTo, {Point{1, 1}}},
                                                         {Kind::lineTo, {Point{5, 1}}},
                                                         {Kind::close, {}},
                                                         {Kind::moveTo, {Point{1, 1}}},
                                                         {Kind::lineTo, {Point{3, 4}}}}));
    EXPECT_EQ(Path{}.boundingBox(), Rect{});
}

TEST(TimingFunction, SolvedValuesLieOnTheCurveAndGrowAcrossTheWholeRange)
{
    // The views' curves are checked against independent values where they are used; here
    // the solver is checked over the whole range, the flat ends of the ease curves included.
    for (const TimingFunction& curve : {TimingFunction::easeIn(), TimingFunction::easeOut(),
                                        TimingFunction{{0.9, 0.1}, {0.1, 0.9}}}) {
        double worst = 0, previous = 0;
        bool growing = true;
        for (int i = 0; i <= 20000; ++i) {
            const Point p = curve.pointAt(i / 20000.0);
            const double y = curve.value(i / 20000.0);
            worst = std::max(worst, std::abs(curve.value(p.x) - p.y));
            growing = growing && y >= previous - 1e-12;
            previous = y;
        }
        EXPECT_EQ(std::tuple(worst < 1e-6, growing, curve.value(-0.5), curve.value(7)),
                  std::tuple(true, true, 0.0, 1.0));
    }
}

AnimationGroup fadeGroup(double begin, double duration, FillMode fill, bool removedOnCompletion)
{
    AnimationGroup group;
    group.animations = {BasicAnimation{key_paths::opacity, 1, 0, {}}};
    group.beginTime = begin;
    group.duration = duration;
    group.fillMode = fill;
    group.removedOnCompletion = removedOnCompletion;
    return group;
}

TEST(Animation, GroupsFollowFillModeAndRemovalAndKeyTimesOfTheWrongLengthAreEven)
{
    using Fractions = std::vector<std::optional<double>>;
    const auto held = fadeGroup(10, 2, FillMode::forwards, false);
    EXPECT_EQ((Fractions{held.fractionAt(9.999), held.fractionAt(10), held.fractionAt(11.5),
                         held.fractionAt(100)}),
              (Fractions{std::nullopt, 0.0, 0.75, 1.0}));
    EXPECT_EQ(std::tuple(held.isRunning(11.999), held.isRunning(12)), std::tuple(true, false));
    // Removed on completion, a forward fill holds nothing; without a forward fill neither.
    EXPECT_EQ((Fractions{fadeGroup(10, 2, FillMode::forwards, true).fractionAt(12),
                         fadeGroup(10, 2, FillMode::removed, false).fractionAt(12),
                         fadeGroup(10, 2, FillMode::backwards, false).fractionAt(3),
                         fadeGroup(10, 2, FillMode::both, false).fractionAt(13)}),
              (Fractions{std::nullopt, std::nullopt, 0.0, 1.0}));

    // Keyframe values along their curves are checked with the ring; key times of the wrong
    // length are spaced evenly.
    KeyframeAnimation steps;
    steps.values = {0, 1, 0.5};
    steps.keyTimes = {0, 1};
    EXPECT_NEAR(*steps.valueAt(0.75), 0.75, 1e-12);
    EXPECT_EQ(KeyframeAnimation{}.valueAt(0.5), std::nullopt);
}

TEST(Layer, TreesPresentationAndRendering)
{
    auto root = std::make_shared<Layer>();
    auto other = std::make_shared<Layer>();
    auto ring = std::make_shared<ShapeLayer>();
    other->addSublayer(ring);
    root->addSublayer(ring); // moves, it is not shared (removal is the ring view's)
    EXPECT_EQ(std::tuple(other->sublayers().size(), ring->superlayer()),
              std::tuple(0u, root.get()));

    // A later group's opacity wins over an earlier one's (the ring's tests follow a whole
    // presentation); a group added under a used key replaces it and goes last.
    ring->addAnimation(fadeGroup(1, 1, FillMode::forwards, false), "fade");
    ring->addAnimation(fadeGroup(0, 10, FillMode::removed, true), "grow");
    ring->addAnimation(fadeGroup(1, 2, FillMode::removed, true), "shrink");
    ring->addAnimation(fadeGroup(0, 10, FillMode::removed, true), "grow");
    EXPECT_EQ(ring->animationKeys(), (std::vector<std::string>{"fade", "shrink", "grow"}));
    EXPECT_NEAR(ring->presentation(2).opacity, 0.8, 1e-9);
    ring->removeAllAnimations(); // or the rendering below would follow them

    // Rendering scales about the layer's centre and multiplies opacities.
    root->frame = Rect{0, 0, 400, 300};
    root->opacity = 0.5;
    ring->opacity = 1;
    ring->frame = Rect{10, 20, 100, 50};
    ring->path.addEllipse(Rect{0, 0, 100, 50});
    ring->fillColor = Color::clearColor();
    ring->strokeColor = Color::sRGB(1, 0, 0, 0.9);
    ring->lineWidth = 4;
    AnimationGroup shrink;
    shrink.animations = {BasicAnimation{key_paths::scale, 1, 0, {}}};
    shrink.duration = 1;
    ring->addAnimation(shrink, "shrink");
    sim::SimCanvas canvas;
    root->render(canvas, 0.5);
    EXPECT_EQ(canvas.saveDepth(), 0);
    ASSERT_EQ(canvas.drawings().size(), 1u); // clear fill and clear background: not drawn
    const auto stroke = canvas.strokes().at(0);
    EXPECT_EQ(std::tuple(stroke.bounds(), stroke.lineWidth(), stroke.opacity),
              std::tuple(Rect(35, 32.5, 50, 25), 2.0, 0.5));
    EXPECT_EQ(root->animatedBounds(), Rect(5, 15, 110, 60)); // the whole stroke, plus a point
    EXPECT_EQ(std::tuple(root->isAnimating(0.99), root->isAnimating(1)), std::tuple(true, false));
    canvas.clear();
    root->opacity = 0; // hidden layers are the range selection view's
    root->render(canvas, 0.5);
    EXPECT_TRUE(canvas.calls().empty());
}

using sim::SimScreenList;

TEST(ScreenList, LookupEdgesFallbackFlipAndIdentifiers)
{
    // Two displays side by side; the right one is taller and reaches below the left one.
    SimScreenList screens;
    screens.setScreens({SimScreenList::makeScreen(1, {0, 0, 1280, 800}),
                        SimScreenList::makeScreen(2, {1280, -100, 1280, 1000}, 2.0)});
    screens.setMainScreen(1);
    auto lookup = [&](double x, double y) -> std::optional<DisplayIdentifier> {
        const auto screen = screenContaining(screens, {x, y});
        return screen ? std::optional(displayIdentifier(*screen)) : std::nullopt;
    };
    // Left and top edges belong to a screen, right and bottom edges do not; off every
    // screen the main screen answers, and without one nothing does.
    const std::vector<std::pair<Point, DisplayIdentifier>> points{
        {{0, 400}, 1}, {{100, 800}, 1}, {{1280, 400}, 2}, {{1500, -100}, 1}, {{-50, 10}, 1}};
    for (const auto& [point, display] : points) {
        EXPECT_EQ(lookup(point.x, point.y), display) << point.x << ", " << point.y;
    }
    screens.setNoMainScreen(true);
    EXPECT_EQ(lookup(-50, 10), std::nullopt);

    // The flip uses the top of the first screen, not the tallest, or 0.
    const auto all = screens.screens();
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, all), (Rect{10, 580, 300, 200}));
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, {all[1], all[0]}), (Rect{10, 680, 300, 200}));
    EXPECT_EQ(flipToBottomLeft({10, 20, 300, 200}, {}), (Rect{10, -220, 300, 200}));

    Screen screen;
    screen.objectIdentity = 0x1234'5678'9abc'def0ull;
    EXPECT_EQ(displayIdentifier(screen), 0x9abcdef0u);
    screen.screenNumber = 7;
    EXPECT_EQ(displayIdentifier(screen), 7u);
}

// Level, mouse handling, alpha and animation behaviour reach the panels as calls, which the
// overlay controllers' tests check; what never becomes a call is checked here.
TEST(PanelConfiguration, RingsAndSelectionsCoverTheFrameVeilsTheUsableAreaNoneIsOpaque)
{
    const Screen screen =
        SimScreenList::makeScreen(3, {0, 0, 1440, 900}, 2.0, Rect{0, 70, 1440, 805});
    const auto ring = ringPanelConfiguration(screen);
    const auto veil = veilPanelConfiguration(screen);
    const auto selection = selectionPanelConfiguration(screen);
    EXPECT_EQ(std::tuple(ring.contentRect, veil.contentRect, selection.contentRect),
              std::tuple(screen.frame, screen.visibleFrame, screen.frame));
    for (const auto& c : {ring, veil, selection}) {
        EXPECT_EQ(std::tuple(c.display, c.styleMask, c.collectionBehavior,
                             c.opaque || c.hasShadow || c.hidesOnDeactivate),
                  std::tuple(3u, 128u, 337u, false));
    }
}

TEST(PanelStackAndAlphaFade, PanelsStackByLevelThenRecencyAndFadesFollowTheirCurve)
{
    sim::SimMainLoop loop;
    sim::SimPanelFactory factory(loop);
    std::vector<std::shared_ptr<Panel>> p; // numbers 0 to 2 at levels 2, 1 and 2
    for (PanelConfiguration c; const int level : {2, 1, 2}) {
        c.level = level;
        p.push_back(factory.makePanel(c));
    }
    const auto order = [&] {
        std::vector<int> numbers;
        for (const auto& panel : factory.frontToBack()) {
            numbers.push_back(panel->number());
        }
        return numbers;
    };
    p[0]->orderFrontRegardless();
    p[1]->orderFrontRegardless(); // a lower level stays below, though ordered last
    p[2]->orderFrontRegardless(); // the same level: in front
    EXPECT_EQ(order(), (std::vector{2, 0, 1}));
    p[0]->orderFrontRegardless();
    p[1]->setLevel(3); // to the front of its new level
    EXPECT_EQ(order(), (std::vector{1, 0, 2}));
    p[2]->orderOut();
    p[2]->setLevel(9); // a panel ordered out stays out
    EXPECT_EQ(order(), (std::vector{1, 0}));
    p[2]->orderFrontRegardless();
    p[0].reset(); // a released panel leaves the order
    EXPECT_EQ(order(), (std::vector{2, 1}));

    // From 0.2 to 1 over 0.5 s from t = 2 along ease-in; and a fade without duration.
    const AlphaFade fade{0.2, 1, 2, 0.5, TimingFunction::easeIn()};
    EXPECT_EQ(std::tuple(fade.valueAt(1.9), fade.valueAt(2.5), fade.valueAt(9),
                         fade.isFinished(2.4), fade.isFinished(2.5)),
              std::tuple(0.2, 1.0, 1.0, false, true));
    EXPECT_NEAR(fade.valueAt(2.375), 0.2 + 0.8 * 0.6218618691748902, 1e-9);
    const AlphaFade instant{0, 0.3, 2, 0, TimingFunction::linear()};
    EXPECT_EQ(std::tuple(instant.valueAt(1), instant.isFinished(1)), std::tuple(0.3, true));
}

TEST(SettingsStore, TypedReadsCoerceLikeThePlatform)
{
    sim::SimSettingsStore store;
    EXPECT_EQ(std::tuple(store.boolForKey("k"), store.stringForKey("k"), store.doubleForKey("k"),
                         store.hasValue("k")),
              std::tuple(false, std::nullopt, 0.0, false));
    // Texts are true when their first sign, space and leading zero are followed by Y, T or
    // a digit from 1 to 9, and their number is the one they begin with.
    const std::vector<std::string> texts{"YES", "yes", "true", "  T", "007",     "-3",
                                         "NO",  "000", "",     "on",  "0.75xyz", "blue"};
    std::vector<SettingValue> values(texts.begin(), texts.end());
    using I = std::int64_t;
    values.insert(values.end(), {true, I(2), 0.25, 0.0, I(0), OtherSettingValue("list"), I(42)});
    std::vector<bool> truths;
    std::vector<double> numbers;
    for (const SettingValue& value : values) {
        store.seed("k", value);
        truths.push_back(store.boolForKey("k"));
        numbers.push_back(store.doubleForKey("k"));
    }
    EXPECT_EQ(truths, (std::vector<bool>{1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 1}));
    EXPECT_EQ(numbers, (std::vector<double>{0, 0, 0, 0, 7, -3, 0, 0, 0, 0, 0.75, 0, 1, 2, 0.25, 0,
                                            0, 0, 42}));
    EXPECT_EQ(store.stringForKey("k"), std::nullopt); // a number is not a text
    store.seed("k", -2.9);
    EXPECT_EQ(store.integerForKey("k"), -2);
    store.seed("k", 1e300);
    EXPECT_EQ(store.integerForKey("k"), std::numeric_limits<std::int64_t>::max());
}

TEST(ColorAndUuid, DeviceRGBConversionAndDistinctVersionFourIdentifiers)
{
    EXPECT_EQ(Color::white(0.5, 0.3).usingDeviceRGB(), Color::deviceRGB(0.5, 0.5, 0.5, 0.3));
    EXPECT_DOUBLE_EQ(system_colors::blue().usingDeviceRGB()->green, 122.0 / 255.0);
    EXPECT_EQ(Color::patternColor().usingDeviceRGB(), std::nullopt);

    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    UuidGenerator generator;
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string id = generator.next();
        EXPECT_TRUE(std::regex_match(id, form)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 2000u);
    // Each generator draws from its own engine: equal seeds repeat, system seeds do not.
    EXPECT_EQ(UuidGenerator(7).next(), UuidGenerator(7).next());
    EXPECT_NE(UuidGenerator().next(), UuidGenerator().next());
}

} // namespace
} // namespace halomark
