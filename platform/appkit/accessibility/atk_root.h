#pragma once

#include <atk/atk.h>

namespace appkit {

// Makes root what atk_get_root() answers and names the toolkit, and lets the bridge listen to
// the signals of our accessible objects: ATK leaves all three to the toolkit.
void installAtkRoot(AtkObject* root);

} // namespace appkit
