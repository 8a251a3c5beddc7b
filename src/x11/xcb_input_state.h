// The input state port over XCB. One query_keymap and one query_pointer, sent together and
// then read, answer every question of a sampling pass. A pass is one turn of the main loop:
// the answers are kept as a snapshot for the turn they were read in (see XcbPollingRound),
// so the questions of one timer tick share one read and the next tick reads afresh. The round is
// shared with the window reader, so the two queries travel with its requests. Only the answers
// are kept, never the keymap, so which other key was down is not recorded anywhere. Without a
// display every answer is "nothing held" and the pointer stays where it was last seen.
#pragma once

#include "platform/input_state.h"
#include "x11/xcb_connection.h"
#include "x11/xcb_keyboard_map.h"
#include "x11/xcb_polling_round.h"
#include "x11/xcb_screen_list.h"

#include <array>
#include <optional>
#include <string>

namespace halomark::x11 {

class XcbInputState final : public InputState,
                            private XcbEventListener,
                            private XcbPollingRound::Part
{
public:
    // Reads in the given round, together with its other parts; the round's main loop tells
    // where one pass ends and the next begins, and the screen list gives the coordinate space
    // the pointer is reported in.
    XcbInputState(XcbPollingRound& round, const XcbScreenList& screens);
    ~XcbInputState() override;
    XcbInputState(const XcbInputState&) = delete;
    XcbInputState& operator=(const XcbInputState&) = delete;

    bool keyState(KeyCode code) override;
    EventFlags flagsState() override;
    bool buttonState(MouseButton button) override;
    bool isNonModifierKeyDown() override;
    Point mouseLocation() override;

    // What keeps the keyboard from giving Command, when no key is mapped to Super, Hyper or
    // Meta; nothing when a key gives it or the server does not answer.
    std::optional<std::string> keyboardProblem();

    // How often the server was read (one query_keymap and one query_pointer each time).
    int snapshotCount() const { return snapshots; }

private:
    struct Snapshot
    {
        std::array<bool, translatedKeyCodes.size()> keysDown{};
        bool nonModifierKeyDown = false;
        EventFlags flags = 0;
        std::uint16_t pointerMask = 0; // the modifier and button state of query_pointer
        Point pointer;
    };

    // Forgets the snapshot so that the next question reads the server again.
    void invalidateSnapshot();
    void handleEvent(const xcb_generic_event_t& event) override;
    void request() override;
    void receive() override;
    const Snapshot& current();
    Snapshot read();

    XcbPollingRound& round;
    XcbConnection& connection;
    const XcbScreenList& screenList;
    struct Cookies
    {
        xcb_query_keymap_cookie_t keymap;
        xcb_query_pointer_cookie_t pointer;
    };
    std::optional<Cookies> sent;
    std::optional<XcbKeyboardMap> keyboardMap;
    bool keyboardMapIsStale = true;
    std::optional<Snapshot> snapshot;
    Point lastPointer;
    int snapshots = 0;
};

} // namespace halomark::x11
