// The on-screen order of a factory's panels, shared by every panel adapter: a panel ordered
// front goes above every panel of its level and below every panel of a higher level; ordering
// it out takes it out of the order. Panels are held weakly, so a released panel leaves the
// order by itself. The stack only keeps the order; the adapter raises its windows to match.
#pragma once

#include <memory>
#include <vector>

namespace halomark {

class Panel;

class PanelStack
{
public:
    // Puts the panel at the given level in front of every panel of that level and behind
    // every panel of a higher level, moving it if it is already ordered in.
    void orderFront(const std::shared_ptr<Panel>& panel, int level);
    // Takes the panel out of the order; nothing happens if it is not ordered in.
    void orderOut(const Panel& panel);
    // Moves a panel that is ordered in to another level, in front of that level's panels;
    // a panel that is not ordered in stays out.
    void setLevel(const Panel& panel, int level);
    bool contains(const Panel& panel) const;

    // The panels ordered in and still alive, the frontmost first, and the other way round.
    std::vector<std::shared_ptr<Panel>> frontToBack() const;
    std::vector<std::shared_ptr<Panel>> bottomToTop() const;

private:
    struct Entry
    {
        std::weak_ptr<Panel> panel;
        const Panel* identity = nullptr; // compared without locking
        int level = 0;
    };

    void remove(const Panel& panel);
    void removeReleased();

    std::vector<Entry> entries; // bottom to top
};

} // namespace halomark
