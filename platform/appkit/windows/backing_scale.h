#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace appkit {

// The backing scale VANTREL_BACKING_SCALE forces, for seeing scale 2 on a display that reports 1
// (X11 and Xvfb always do): a number from 1 to 4. None when unset; none too, with the reason in
// problem, when it is not such a number.
std::optional<double> forcedBackingScale(std::string* problem = nullptr);

// An X11 desktop states its scale, as GTK reads it, in GDK_SCALE (the factor) or, failing that,
// in the X resources' Xft.dpi (96 per point). Either is taken in steps of 0.25 from 1 to 4; none
// when neither says, or says something that is not a positive number.
std::optional<double> scaleFromGdkScale(std::string_view text);
// resources: the text of the root window's RESOURCE_MANAGER, as xrdb writes it.
std::optional<double> scaleFromXResources(std::string_view resources);
std::optional<double> x11DesktopScale(const char* gdkScale, std::string_view resources);

} // namespace appkit
