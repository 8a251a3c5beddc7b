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
    EXPECT_FALSE(view->isMouseDown());
    EXPECT_TRUE(view->hasFinishedSelection());
    EXPECT_EQ(view->startPoint(), Point(200, 150));
    // Two strokes, the outline first, at the press point in view coordinates.
    const auto strokes = strokesOf(*view);
    ASSERT_EQ(strokes.size(), 2u);
    EXPECT_EQ(strokes[0].color, Color::blackColor().withAlpha(0.82));
    EXPECT_EQ(strokes[0].lineWidth(), 4.4);
    EXPECT_EQ(strokes[1].color, system_colors::yellow().withAlpha(0.96));
    EXPECT_EQ(strokes[1].lineWidth(), 2.6);
    for (const auto& stroke : strokes) {
        EXPECT_EQ(stroke.stroke.lineJoin, LineJoin::round);
        EXPECT_EQ(stroke.bounds(), Rect(200, 150, 0, 0));
        EXPECT_EQ(stroke.opacity, 1.0);
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
    EXPECT_TRUE(hiddenWhenCancelled);
    EXPECT_FALSE(view->hasVisibleSelection());
    EXPECT_TRUE(strokesOf(*view).empty());

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
    EXPECT_TRUE(view->outlineLayer->hidden);
    EXPECT_TRUE(view->foregroundLayer->hidden);
    view->mouseUp(at(400, 300));
    EXPECT_EQ(log, (Log{"started", "finished NO"}));
    EXPECT_FALSE(view->hasFinishedSelection());
    EXPECT_TRUE(strokesOf(*view).empty());
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
