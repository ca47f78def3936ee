// Small metafiles for the seed corpora: an enhanced metafile and a Windows metafile, each drawing
// one rectangle.
#pragma once

#include <cstdint>
#include <vector>

namespace bx::clipstore::fuzz {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

inline Bytes Emf() {
    Bytes b;
    Put(b, 1, 4);  // EMR_HEADER
    Put(b, 88, 4); // its size
    for (std::uint32_t v : {0u, 0u, 40u, 30u, 0u, 0u, 1000u, 800u})
        Put(b, v, 4);        // bounds, frame
    Put(b, 0x464D4520, 4);   // " EMF"
    Put(b, 0x10000, 4);      // version
    Put(b, 88 + 24 + 20, 4); // total size
    Put(b, 3, 4);            // records
    Put(b, 1, 2);            // handles
    Put(b, 0, 2);            // reserved
    for (std::uint32_t v : {0u, 0u, 0u, 1920u, 1080u, 508u, 286u})
        Put(b, v, 4); // description, palette, device
    Put(b, 27, 4);    // EMR_RECTANGLE
    Put(b, 24, 4);
    for (std::uint32_t v : {2u, 2u, 30u, 20u})
        Put(b, v, 4);
    Put(b, 14, 4); // EMR_EOF
    Put(b, 20, 4);
    Put(b, 0, 4);
    Put(b, 16, 4);
    Put(b, 20, 4);
    return b;
}

// A Windows metafile: its header, a rectangle and the end record.
inline Bytes Wmf() {
    Bytes b;
    Put(b, 1, 2);
    Put(b, 9, 2);
    Put(b, 0x0300, 2);
    Put(b, 9 + 7 + 3, 4); // size in words
    Put(b, 0, 2);
    Put(b, 7, 4); // largest record
    Put(b, 0, 2);
    Put(b, 7, 4); // META_RECTANGLE: bottom, right, top, left
    Put(b, 0x041B, 2);
    for (std::uint32_t v : {20u, 30u, 2u, 2u})
        Put(b, v, 2);
    Put(b, 3, 4); // end
    Put(b, 0, 2);
    return b;
}

} // namespace bx::clipstore::fuzz
