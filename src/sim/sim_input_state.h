// Scripted input for tests: keys, modifier flags, buttons and the pointer are set by the test
// and read back by the code under test, which is counted query by query.
#pragma once

#include "platform/input_state.h"

#include <set>

namespace halomark::sim {

class SimInputState final : public InputState
{
public:
    // Control surface.
    void pressKey(KeyCode code) { keysDown.insert(code); }
    void releaseKey(KeyCode code) { keysDown.erase(code); }
    void setFlags(EventFlags value) { flags = value; }
    void pressButton(MouseButton button) { buttonsDown.insert(button); }
    void releaseButton(MouseButton button) { buttonsDown.erase(button); }
    void setNonModifierKeyDown(bool down) { nonModifierKeyDown = down; }
    void movePointer(Point location) { pointer = location; }
    void setReadsKeysAndButtons(bool reads) { readable = reads; }
    void releaseAll()
    {
        keysDown.clear();
        buttonsDown.clear();
        flags = 0;
        nonModifierKeyDown = false;
    }

    // Queries made so far, of every kind together.
    int queryCount() const { return queries; }
    void resetQueryCount() { queries = 0; }

    // InputState.
    bool keyState(KeyCode code) override
    {
        ++queries;
        return keysDown.contains(code);
    }
    EventFlags flagsState() override
    {
        ++queries;
        return flags;
    }
    bool buttonState(MouseButton button) override
    {
        ++queries;
        return buttonsDown.contains(button);
    }
    bool isNonModifierKeyDown() override
    {
        ++queries;
        return nonModifierKeyDown;
    }
    Point mouseLocation() override
    {
        ++queries;
        return pointer;
    }
    bool readsKeysAndButtons() const override { return readable; }

private:
    std::set<KeyCode> keysDown;
    std::set<MouseButton> buttonsDown;
    EventFlags flags = 0;
    bool nonModifierKeyDown = false;
    Point pointer;
    bool readable = true;
    int queries = 0;
};

} // namespace halomark::sim
