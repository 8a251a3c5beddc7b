#include "x11/xcb_input_state.h"

namespace halomark::x11 {

namespace {

// Core protocol state bits of query_pointer.
constexpr std::uint16_t shiftMask = XCB_MOD_MASK_SHIFT;
constexpr std::uint16_t lockMask = XCB_MOD_MASK_LOCK;
constexpr std::uint16_t controlMask = XCB_MOD_MASK_CONTROL;
constexpr std::uint16_t altMask = XCB_MOD_MASK_1;

// Buttons by number (0 left, 1 right, 2 centre) as X buttons 1, 3 and 2.
constexpr std::array<std::uint16_t, 3> buttonMasks{XCB_BUTTON_MASK_1, XCB_BUTTON_MASK_3,
                                                   XCB_BUTTON_MASK_2};

} // namespace

XcbInputState::XcbInputState(XcbPollingRound& round, const XcbScreenList& screens)
    : round(round), connection(round.connection()), screenList(screens)
{
    connection.addListener(*this);
    round.add(*this);
}

XcbInputState::~XcbInputState()
{
    round.remove(*this);
    connection.removeListener(*this);
}

void XcbInputState::invalidateSnapshot()
{
    snapshot.reset();
    round.invalidate();
}

bool XcbInputState::keyState(KeyCode code)
{
    const Snapshot& state = current();
    for (std::size_t index = 0; index < translatedKeyCodes.size(); ++index) {
        if (translatedKeyCodes[index] == code) {
            return state.keysDown[index];
        }
    }
    return false;
}

EventFlags XcbInputState::flagsState()
{
    return current().flags;
}

bool XcbInputState::buttonState(MouseButton button)
{
    const Snapshot& state = current();
    return button < buttonMasks.size() && (state.pointerMask & buttonMasks[button]) != 0;
}

bool XcbInputState::isNonModifierKeyDown()
{
    return current().nonModifierKeyDown;
}

Point XcbInputState::mouseLocation()
{
    return current().pointer;
}

std::optional<std::string> XcbInputState::keyboardProblem()
{
    if (keyboardMapIsStale) {
        if (auto map = XcbKeyboardMap::read(connection.raw())) {
            keyboardMap = std::move(map);
            keyboardMapIsStale = false;
        }
    }
    if (!keyboardMap || keyboardMap->commandKeycodes().any()) {
        return std::nullopt;
    }
    return "no key of the keyboard types Super, Hyper or Meta, so the Super tap and the "
           "shortcuts held with Super cannot be seen; map a key to Super or choose Right Ctrl "
           "or Right Alt under Locator Key in the menu";
}

void XcbInputState::handleEvent(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7f) != XCB_MAPPING_NOTIFY) {
        return;
    }
    const auto& mapping = reinterpret_cast<const xcb_mapping_notify_event_t&>(event);
    if (mapping.request == XCB_MAPPING_KEYBOARD || mapping.request == XCB_MAPPING_MODIFIER) {
        keyboardMapIsStale = true;
        invalidateSnapshot();
    }
}

const XcbInputState::Snapshot& XcbInputState::current()
{
    round.ensureCurrent();
    return *snapshot;
}

void XcbInputState::request()
{
    xcb_connection_t* c = connection.raw();
    sent = Cookies{xcb_query_keymap(c), xcb_query_pointer(c, connection.root())};
    if (keyboardMapIsStale) {
        // Sent behind the two queries, so the three answers share one round trip.
        if (auto map = XcbKeyboardMap::read(c)) {
            keyboardMap = std::move(map);
            keyboardMapIsStale = false;
        }
    }
}

void XcbInputState::receive()
{
    snapshot = read();
    sent.reset();
}

XcbInputState::Snapshot XcbInputState::read()
{
    Snapshot state;
    state.pointer = lastPointer;
    if (!sent) {
        return state;
    }
    ++snapshots;
    xcb_connection_t* c = connection.raw();
    XcbReply<xcb_query_keymap_reply_t> keymap(xcb_query_keymap_reply(c, sent->keymap, nullptr));
    XcbReply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(c, sent->pointer, nullptr));
    if (!keymap || !pointer || !keyboardMap) {
        connection.isConnected();
        return state;
    }

    const KeycodeSet down = keycodesDown(std::span<const std::uint8_t, 32>(keymap->keys));
    for (std::size_t index = 0; index < translatedKeyCodes.size(); ++index) {
        state.keysDown[index] = (down & keyboardMap->keycodesFor(translatedKeyCodes[index])).any();
    }
    state.nonModifierKeyDown = (down & ~keyboardMap->modifierKeycodes()).any();

    state.pointerMask = pointer->mask;
    EventFlags flags = 0;
    if ((pointer->mask & lockMask) != 0) {
        flags |= event_flags::capsLock;
    }
    if ((pointer->mask & shiftMask) != 0) {
        flags |= event_flags::shift;
    }
    if ((pointer->mask & controlMask) != 0) {
        flags |= event_flags::control;
    }
    // AltGr and Mode_switch are Option's counterpart (another level of the same key), and a
    // Command tap with one of them is a shortcut like one with Alt.
    if ((pointer->mask & altMask) != 0 || (down & keyboardMap->levelShiftKeycodes()).any()) {
        flags |= event_flags::option;
    }
    if ((down & keyboardMap->commandKeycodes()).any()) {
        flags |= event_flags::command;
    }
    state.flags = flags;

    state.pointer = screenList.coordinates().toPoints(pointer->root_x, pointer->root_y);
    lastPointer = state.pointer;
    return state;
}

} // namespace halomark::x11
