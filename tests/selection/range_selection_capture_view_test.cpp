#include "selection/range_selection_capture_view.h"
#include "sim/sim_canvas.h"
#include "sim/sim_settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace halomark {
namespace {

using Log = std::vector<std::string>;

class RangeSelectionCaptureViewTest : public ::testing::Test
{
protected:
    // The view lies at (100, 50) in its window, so window and view coordinates differ.
    std::shared_ptr<RangeSelectionCaptureView> makeView()
    {
        auto view = std::make_shared<RangeSelectionCaptureView>(Rect{100, 50, 800, 600}, settings);
        view->onSelectionStarted = [this] { log.push_back("started"); };
        view->onSelectionFinished = [this](bool visible) {
            log.push_back(visible ? "finished YES" : "finished NO");
        };
        view->onMouseSequenceCancelled = [this] { log.push_back("cancelled"); };
        return view;
    }

    // A point given in view coordinates, as the window reports it.
    static Point at(double x, double y) { return {x + 100, y + 50}; }
    static Rect selectionOf(const RangeSelectionCaptureView& view)
    {
        return view.foregroundLayer->path.boundingBox();
    }
    static std::vector<sim::SimCanvas::Drawing> strokesOf(const RangeSelectionCaptureView& view)
    {
        sim::SimCanvas canvas;
        view.draw(canvas, 0);
        EXPECT_TRUE(canvas.fills().empty());
        return canvas.strokes();
    }

    sim::SimSettingsStore store;
    AppearanceSettings settings{store};
    Log log;
};

TEST_F(RangeSelectionCaptureViewTest, AClickDrawsAVisibleZeroSizeOutlineInTheColoursOfItsCreation)
{
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::yellow);
    auto view = makeView();
    settings.setSelectedChoice(AppearanceSettings::ColorChoice::purple); // reaches later views
    EXPECT_TRUE(view->acceptsFirstMouse());
    EXPECT_EQ(view->layer()->sublayers(),
              (std::vector<std::shared_ptr<Layer>>{view->outlineLayer, view->foregroundLayer}));
    for (const auto& shape : {view->outlineLayer, view->foregroundLayer}) {
        EXPECT_EQ(shape->fillColor.alpha, 0);
        EXPECT_TRUE(shape->hidden);
    }
    EXPECT_TRUE(strokesOf(*view).empty());
    EXPECT_EQ(makeView()->foregroundLayer->strokeColor, system_colors::purple().withAlpha(0.96));

    view->mouseDown(at(200, 150));
    EXPECT_TRUE(view->isMouseDown());
    view->mouseUp(at(200, 150));
    EXPECT_EQ(log, (Log{"started", "finished YES"}));
    EXPECT_EQ(std::tuple(view->isMouseDown(), view->hasFinishedSelection(), view->startPoint()),
              std::tuple(false, true, std::optional(Point(200, 150))));
    // Two strokes, the outline first, at the press point in view coordinates.
    const std::vector<std::pair<Color, double>> colorsAndWidths{
        {Color::blackColor().withAlpha(0.82), 4.4}, {system_colors::yellow().withAlpha(0.96), 2.6}};
    const auto strokes = strokesOf(*view);
    ASSERT_EQ(strokes.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(std::tuple(strokes[i].color, strokes[i].lineWidth(), strokes[i].stroke.lineJoin,
                             strokes[i].bounds(), strokes[i].opacity),
                  std::tuple(colorsAndWidths[i].first, colorsAndWidths[i].second, LineJoin::round,
                             Rect(200, 150, 0, 0), 1.0));
    }
}

TEST_F(RangeSelectionCaptureViewTest, DragsStopAtTheEdgesAndGiveTheNormalisedRoundedRectangle)
{
    auto view = makeView();
    view->mouseDown(at(400, 300));
    view->mouseDragged(at(-150, 850)); // beyond the left and top edges
    EXPECT_EQ(selectionOf(*view), Rect(0, 300, 400, 300));
    view->mouseDragged(at(1900, -150)); // beyond the right and bottom edges
    EXPECT_EQ(selectionOf(*view), Rect(400, 0, 400, 300));
    view->mouseDragged(at(200, 100));
    Path expected;
    expected.addRoundedRect(Rect{200, 100, 200, 200}, 5, 5);
    EXPECT_EQ(view->outlineLayer->path, expected);
    EXPECT_EQ(view->foregroundLayer->path, expected);
    view->mouseUp(at(450, 450));
    EXPECT_EQ(selectionOf(*view), Rect(400, 300, 50, 150));
    EXPECT_EQ(log.back(), "finished YES");
    view->mouseDown(at(-20, 700)); // a press outside starts on the edge
    EXPECT_EQ(view->startPoint(), Point(0, 600));
    EXPECT_FALSE(view->hasFinishedSelection());
}

TEST_F(RangeSelectionCaptureViewTest, ARightPressHidesAtOnceThenCancelsAsDoesAReleaseWithoutPress)
{
    auto view = makeView();
    view->mouseDown(at(100, 100));
    view->mouseDragged(at(300, 200));
    bool hiddenWhenCancelled = false;
    view->onMouseSequenceCancelled = [&] {
        log.push_back("cancelled");
        hiddenWhenCancelled = view->outlineLayer->hidden && view->foregroundLayer->hidden;
    };
    view->rightMouseDown(at(300, 200));
    EXPECT_EQ(log, (Log{"started", "started", "cancelled"}));
    EXPECT_EQ(std::tuple(hiddenWhenCancelled, view->hasVisibleSelection(), strokesOf(*view).size()),
              std::tuple(true, false, 0u));

    auto fresh = makeView();
    log.clear();
    fresh->mouseUp(at(10, 10));
    EXPECT_EQ(log, Log{"cancelled"});
    EXPECT_FALSE(fresh->hasFinishedSelection());
}

TEST_F(RangeSelectionCaptureViewTest, ASelectionHiddenDuringAPressStaysHiddenAndEndsWithNo)
{
    auto view = makeView();
    std::vector<std::optional<Rect>> requests;
    view->setDisplayRequestHandler([&](std::optional<Rect> rect) { requests.push_back(rect); });
    view->mouseDown(at(100, 100));
    view->mouseDragged(at(300, 250));
    view->mouseDragged(at(150, 120)); // shrinking: the old outline must be cleared too
    view->hideSelection();            // the shortcut was let go
    view->hideSelection();            // nothing left to clear
    view->mouseDragged(at(350, 250));
    EXPECT_TRUE(view->outlineLayer->hidden && view->foregroundLayer->hidden);
    view->mouseUp(at(400, 300));
    EXPECT_EQ(log, (Log{"started", "finished NO"}));
    EXPECT_EQ(std::tuple(view->hasFinishedSelection(), strokesOf(*view).size()),
              std::tuple(false, 0u));
    // Each request covers what was drawn and what is drawn now, half the outline and a
    // point of antialiasing beyond the rectangle.
    const double r = 4.4 / 2 + 1;
    const std::vector<Rect> expected{{100 - r, 100 - r, 2 * r, 2 * r},
                                     {100 - r, 100 - r, 200 + 2 * r, 150 + 2 * r},
                                     {100 - r, 100 - r, 200 + 2 * r, 150 + 2 * r},
                                     {100 - r, 100 - r, 50 + 2 * r, 20 + 2 * r}};
    ASSERT_EQ(requests.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(requests[i].value_or(Rect{}).minX(), expected[i].minX(), 1e-9) << i;
        EXPECT_NEAR(requests[i].value_or(Rect{}).maxY(), expected[i].maxY(), 1e-9) << i;
        EXPECT_NEAR(requests[i].value_or(Rect{}).width(), expected[i].width(), 1e-9) << i;
    }

    // The next press draws again.
    view->mouseDown(at(50, 50));
    view->mouseUp(at(80, 90));
    EXPECT_EQ(log.back(), "finished YES");
    EXPECT_EQ(strokesOf(*view).size(), 2u);
}

} // namespace
} // namespace halomark
