// The exports of libvtconv.
#include "vtconv.h"

#include <cstdint>

#include "platform/fsinfo.h"

int VelInit(void) { return 1; }

int VelGFree(void) { return 1; }

unsigned int SpaceSpec(int kind) {
    vt::plat::disk_figures f;
    if (!vt::plat::disk_space(".", f)) return 0;
    // Hosts take the answer as a 32-bit number: the product is formed in
    // 32-bit unsigned arithmetic, so larger file systems wrap modulo 2^32.
    const auto unit = static_cast<std::uint32_t>(f.block_size);
    const auto count = static_cast<std::uint32_t>(kind == 1 ? f.blocks : f.blocks_avail);
    return count * unit;
}
