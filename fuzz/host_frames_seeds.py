#!/usr/bin/env python3
"""Writes the host fuzz target's seeds that ask for much: large frames, many frames, large lengths.

The target grants such a request only to an input whose luck (a hash of its bytes) is small enough,
so each seed ends with a header cut short, which the layout ignores, chosen to give it that luck.
Keep the constants and the hash in step with host_frames_fuzz.cpp.
"""
import os
import struct
import sys

MASK = (1 << 64) - 1
LARGEST_LENGTH = 64 << 20
REPEAT_ALLOWANCE = 64
FRAME_WEIGHT = 256
COSTLY_LENGTH = 256 << 10
END_OF_WRITE = b"\x02"


def varint(value):
    out = bytearray()
    while True:
        byte, value = value & 0x7F, value >> 7
        out.append(byte | (0x80 if value else 0))
        if not value:
            return bytes(out)


def piece(data, times=None):
    header = len(data) << 2 | (1 if times is not None else 0)
    return varint(header) + (varint(times) if times is not None else b"") + data


def prefix(length):
    return struct.pack("<I", length)


def fnv(hash_, data):
    for byte in data:
        hash_ = ((hash_ ^ byte) * 0x100000001B3) & MASK
    return hash_


def luck(hash_):
    hash_ = ((hash_ ^ (hash_ >> 30)) * 0xBF58476D1CE4E5B9) & MASK
    hash_ = ((hash_ ^ (hash_ >> 27)) * 0x94D049BB133111EB) & MASK
    hash_ ^= hash_ >> 31
    return (hash_ >> 11) * 2.0**-53


def lucky(data, repeated_bytes=0, repeated_frames=0, longest_length=0):
    """The input, with trailing bytes that give it the luck its repeats and longest length need
    (with room to spare for the few frames the repeats may add or cut)."""
    needed = 1.0
    if repeated_bytes:
        cost = repeated_bytes + FRAME_WEIGHT * (repeated_frames + 4)
        needed = min(needed, REPEAT_ALLOWANCE / cost)
    if longest_length:
        needed = min(needed, COSTLY_LENGTH / longest_length)
    if needed >= 1:
        return data
    start = fnv(0xCBF29CE484222325, data)
    for n in range(1 << 21):
        tail = bytes([0x80 | (n & 0x7F), 0x80 | ((n >> 7) & 0x7F), 0x80 | (n >> 14)])
        if luck(fnv(start, tail)) <= needed:
            return data + tail
    sys.exit("no tail gives enough luck")


def seeds():
    # A message above the size whose buffer is kept, then a small one: the large buffer is given back.
    body = (5 << 20) // 4
    head, tail = b'{"options":"', b'"}'
    length = len(head) + body + len(tail)
    yield "large_message", lucky(
        piece(prefix(length) + head) + piece(b"a", body) + piece(tail) + END_OF_WRITE
        + piece(prefix(13) + b'{"options":1}'),
        repeated_bytes=body - 1, longest_length=length)

    # A length that asks for a buffer on huge pages, with the message never finished.
    yield "declared_large", lucky(piece(prefix(8 << 20) + b'{"url":"'), longest_length=8 << 20)

    # A length one above the largest, refused with the rest of its read; then the largest itself.
    yield "length_bounds", lucky(
        piece(prefix(LARGEST_LENGTH + 1) + b'{"options":1}') + END_OF_WRITE
        + piece(prefix(LARGEST_LENGTH) + b"[1"),
        longest_length=LARGEST_LENGTH)

    # More requests in one read than one write of replies holds.
    request = prefix(13) + b'{"options":1}'
    count = 2100
    yield "many_requests", lucky(piece(request, count), repeated_bytes=(count - 1) * len(request),
                                 repeated_frames=count)

    # A URL longer than a read, spread over several writes.
    head, tail = b'{"url":"https://example.com/', b'"}'
    parts, part = 5, 20000
    length = len(head) + parts * part + len(tail)
    yield "long_url_in_writes", lucky(
        piece(prefix(length) + head) + END_OF_WRITE
        + b"".join(piece(bytes([ord("a") + i]), part) + END_OF_WRITE for i in range(parts))
        + piece(tail),
        repeated_bytes=parts * (part - 1), longest_length=length)

    # Nesting deeper than the reader goes.
    depth = 100000
    yield "deep_nesting", lucky(piece(prefix(depth) + b"[") + piece(b"[", depth - 1),
                                repeated_bytes=depth - 2, longest_length=depth)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus", "host_frames")
    for name, data in seeds():
        with open(os.path.join(folder, name), "wb") as file:
            file.write(data)


if __name__ == "__main__":
    main()
