#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace foundation {

// Where each distinct key of an object was seen, for finding repeated keys with one probe sequence
// per key: an open-addressed table of places, where a node-based map would miss the cache for
// every key of a large object.
class KeyPlaces {
public:
    static constexpr std::size_t none = SIZE_MAX;

    // Forgets every key and makes room for `count`.
    void reset(std::size_t count) {
        std::size_t size = std::bit_ceil(std::max<std::size_t>(count * 2, 8));
        slots_.assign(size, 0);
        mask_ = size - 1;
    }
    // The place of an equal key seen before; else records `place` for this key and returns none.
    // keyAt(place) gives back the key of a recorded place.
    template <typename KeyAt> std::size_t findOrAdd(std::string_view key, std::size_t place, KeyAt keyAt) {
        std::size_t hash = std::hash<std::string_view>{}(key);
        std::uint64_t tag = hash >> 32 << 32;
        for (std::size_t slot = hash & mask_;; slot = (slot + 1) & mask_) {
            std::uint64_t entry = slots_[slot];
            if (entry == 0) {
                slots_[slot] = tag | (place + 1);
                return none;
            }
            // Keys are compared only when their hashes agree, sparing a look far away in memory.
            std::size_t earlier = (entry & 0xFFFFFFFFu) - 1;
            if ((entry & ~std::uint64_t{0xFFFFFFFFu}) == tag && keyAt(earlier) == key)
                return earlier;
        }
    }

private:
    std::vector<std::uint64_t> slots_; // high half: the key's hash; low half: its place plus one (0 is free)
    std::size_t mask_ = 0;
};

} // namespace foundation
