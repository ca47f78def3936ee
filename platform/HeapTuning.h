#pragma once

#include <cstddef>

namespace bx::platform {

// How the C heap behaves in a long-running program that loads many small clips at once and reads
// large clip data now and then.
class HeapTuning {
public:
    // Blocks of this size and above get pages of their own, returned to the system when freed: large
    // clip data read for a moment leaves nothing resident behind.
    static constexpr std::size_t LargeBlock = std::size_t{256} << 10;
    // The heap room set aside for the many small blocks of one load.
    static constexpr std::size_t LoadRoom = std::size_t{256} << 20;

    // Called once at program start, before the data is loaded: fixes the large-block threshold and
    // the trim threshold (the allocator would otherwise raise both after every large block freed,
    // keeping later large blocks and freed memory in the heap). False when a setting was refused; the
    // heap then keeps its default for it.
    static bool Apply();

    // While one lives, the heap has LoadRoom of free room at its top (address space, touched only as
    // it is used) that the system may back with huge pages: a load of many small blocks then touches
    // far fewer pages. Afterwards the room left above the loaded blocks goes back to ordinary pages,
    // so that later use of the heap grows it in small steps.
    class BulkLoad {
    public:
        BulkLoad();
        ~BulkLoad();
        BulkLoad(const BulkLoad&) = delete;
        BulkLoad& operator=(const BulkLoad&) = delete;

    private:
        bool advised_ = false;
    };
};

} // namespace bx::platform
