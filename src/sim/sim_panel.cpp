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
    if (!runningAlpha) {
        return alpha;
    }
    const AlphaAnimation& a = *runningAlpha;
    const double elapsed = a.duration > 0 ? (clock.now() - a.beginTime) / a.duration : 1.0;
    return a.fromValue + (a.toValue - a.fromValue) * a.timingFunction.value(elapsed);
}

void SimPanel::animateAlphaValue(double value, double duration, const TimingFunction& timing,
                                 std::function<void()> completion)
{
    callLog.push_back(describe("animateAlphaValue", value, duration));
    runningAlpha = AlphaAnimation{alphaValue().value_or(1.0), value, clock.now(), duration, timing};
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

void SimPanel::removeFromStack()
{
    std::erase_if(stack->frontToBack, [this](const std::weak_ptr<SimPanel>& entry) {
        auto panel = entry.lock();
        return !panel || panel.get() == this;
    });
}

void SimPanel::orderFrontRegardless()
{
    callLog.push_back("orderFrontRegardless");
    removeFromStack();
    stack->frontToBack.insert(stack->frontToBack.begin(), weak_from_this());
    visible = true;
}

void SimPanel::orderOut()
{
    callLog.push_back("orderOut");
    removeFromStack();
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
    std::vector<std::shared_ptr<SimPanel>> result;
    for (const auto& entry : stack->frontToBack) {
        if (auto panel = entry.lock()) {
            result.push_back(std::move(panel));
        }
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
