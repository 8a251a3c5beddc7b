// The part of an accessibility adapter that only knows windows by id: the elements it hands
// out are an application (a pid) or a window (an id of at most 56 bits), the one attribute of
// an application is its focused window, and a window element's hash is its id. An adapter
// answers the focused window of a process and a window's attributes; everything else is here.
#pragma once

#include "platform/accessibility.h"

#include <cstdint>
#include <optional>
#include <string>

namespace halomark {

class WindowAccessibility : public Accessibility
{
public:
    AccessibilityElement applicationElement(ProcessIdentifier pid) final;
    AccessibilityAttributeResult copyAttributeValue(const AccessibilityElement& element,
                                                    const std::string& attribute) final;
    // The window's id for a window element.
    std::uint64_t hash(const AccessibilityElement& element) final;

protected:
    // The element of a window, or none for an id too wide to be one.
    static std::optional<AccessibilityElement> windowElement(std::uint64_t id);

    virtual AccessibilityAttributeResult focusedWindow(ProcessIdentifier pid) = 0;
    virtual AccessibilityAttributeResult windowAttribute(std::uint64_t id,
                                                         const std::string& attribute) = 0;
};

} // namespace halomark
