#pragma once

#include <cstddef>

namespace foundation {

// Property lists here are settings, a few kilobytes at most; these bounds refuse what no settings
// file needs long before it could exhaust memory or the stack.
constexpr std::size_t maximumPropertyListFileSize = 4 * 1024 * 1024;
// Containers inside containers, the root counting as one.
constexpr std::size_t maximumPropertyListDepth = 512;
// Values once a binary list's shared objects are copied out for each reference to them.
constexpr std::size_t maximumPropertyListValueCount = 1 << 19;

} // namespace foundation
