#include "sim/sim_panel.h"

#include <sstream>

namespace halomark::sim {
namespace {

template <class... Values> std::string describe(const char* name, const Values&... values)
{
    std::ostringstream text;
    text << std::boolalpha << name;
    ((text << ' ' << values), ...);
    return text.str();
}

} // namespace

SimPanel::SimPanel(int number, const PanelConfiguration& configuration, double scale,
                   MainLoop& clock, std::shared_ptr<SimPanelStack> stack)
    : creationNumber(number), config(configuration), contentRect(configuration.contentRect),
      scaleFactor(scale), clock(clock), stack(std::move(stack))
{}

SimPanel::~SimPanel()
{
    if (content) {
        content->setDisplayRequestHandler(nullptr);
    }
}

void SimPanel::setLevel(int level)
{
    callLog.push_back(describe("setLevel", level));
    levelValue = level;
    stack->order.setLevel(*this, level);
}

void SimPanel::setIgnoresMouseEvents(bool ignores)
{
    callLog.push_back(describe("setIgnoresMouseEvents", ignores));
    ignoresMouse = ignores;
}

void SimPanel::setAlphaValue(double value)
{
    callLog.push_back(describe("setAlphaValue", value));
    alpha = value;
    runningAlpha.reset();
    ++alphaChanges;
}

std::optional<double> SimPanel::alphaValue() const
{
    return runningAlpha ? runningAlpha->valueAt(clock.now()) : alpha;
}

void SimPanel::animateAlphaValue(double value, double duration, const TimingFunction& timing,
                                 std::function<void()> completion)
{
    callLog.push_back(describe("animateAlphaValue", value, duration));
    runningAlpha = AlphaFade{alphaValue().value_or(1.0), value, clock.now(), duration, timing};
    alpha = value;
    const std::uint64_t change = ++alphaChanges;
    // The pending end holds the panel, as a running animation does.
    clock.postAfter(duration,
                    [self = shared_from_this(), change, completion = std::move(completion)] {
                        if (self->alphaChanges == change) {
                            self->runningAlpha.reset();
                        }
                        if (completion) {
                            completion();
                        }
                    });
}

void SimPanel::setAnimationBehavior(AnimationBehavior behavior)
{
    callLog.push_back(describe("setAnimationBehavior", static_cast<int>(behavior)));
    animation = behavior;
}

void SimPanel::setCollectionBehavior(std::uint64_t behavior)
{
    callLog.push_back(describe("setCollectionBehavior", behavior));
    collection = behavior;
}

void SimPanel::setFrame(const Rect& frame)
{
    callLog.push_back(
        describe("setFrame", frame.minX(), frame.minY(), frame.width(), frame.height()));
    contentRect = frame;
}

void SimPanel::setContentView(std::shared_ptr<OverlayView> view)
{
    callLog.push_back("setContentView");
    if (content) {
        content->setDisplayRequestHandler(nullptr);
    }
    content = std::move(view);
    if (!content) {
        return;
    }
    if (stack->nextContentViewLayerless) {
        stack->nextContentViewLayerless = false;
        content->setWantsLayer(false);
    }
    content->setDisplayRequestHandler([this](std::optional<Rect> rect) {
        ++displayRequests;
        lastRequest = rect;
    });
}

void SimPanel::orderFrontRegardless()
{
    callLog.push_back("orderFrontRegardless");
    stack->order.orderFront(shared_from_this(), levelValue.value_or(config.level));
    visible = true;
}

void SimPanel::orderOut()
{
    callLog.push_back("orderOut");
    stack->order.orderOut(*this);
    visible = false;
}

void SimPanel::displayIfNeeded()
{
    callLog.push_back("displayIfNeeded");
    if (content && content->needsDisplay()) {
        drawnFrame.clear();
        content->display(drawnFrame, clock.now());
        ++displays;
    }
}

std::shared_ptr<SimPanel> SimPanelFactory::panel(int number) const
{
    if (number < 0 || number >= createdCount()) {
        return nullptr;
    }
    return created[static_cast<std::size_t>(number)].lock();
}

std::vector<std::shared_ptr<SimPanel>> SimPanelFactory::frontToBack() const
{
    // The stack holds only this factory's panels.
    std::vector<std::shared_ptr<SimPanel>> result;
    for (const auto& panel : stack->order.frontToBack()) {
        result.push_back(std::static_pointer_cast<SimPanel>(panel));
    }
    return result;
}

std::shared_ptr<Panel> SimPanelFactory::makePanel(const PanelConfiguration& configuration)
{
    const auto found = scales.find(configuration.display);
    const double scale = found == scales.end() ? 1.0 : found->second;
    auto panel = std::make_shared<SimPanel>(createdCount(), configuration, scale, clock, stack);
    created.push_back(panel);
    return panel;
}

} // namespace halomark::sim
