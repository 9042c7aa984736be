#include "render/software/rotation_memo.h"

#include <cstring>

namespace qelo::software {

const Matrix4& RotationMemo::matrix(float degrees, float x, float y, float z)
{
    const float arguments[4] = {degrees, x, y, z};
    std::array<std::uint32_t, 4> key;
    std::memcpy(key.data(), arguments, sizeof arguments);
    // Multiplicative hashing: the product's top bits mix every bit of the key.
    std::uint32_t hash = 0;
    for (const std::uint32_t word : key) hash = (hash ^ word) * 0x9E3779B1u;
    Slot& slot = slots_[hash >> 25];
    static_assert(slots == 128, "the hash's top 7 bits index the slots");
    if (!slot.used || slot.key != key) {
        slot.key = key;
        slot.used = true;
        slot.matrix = rotationMatrix(degrees, x, y, z);
    }
    return slot.matrix;
}

}  // namespace qelo::software
