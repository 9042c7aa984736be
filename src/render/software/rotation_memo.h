#pragma once
// rotationMatrix of recently used arguments, kept by their bits. A tree turns
// its 3000 branches by a few dozen distinct angles a frame; each turn's sine
// and cosine (a long argument reduction for large angles) and the matrix are
// worked out once. A kept matrix is the one rotationMatrix returns for the
// same bits, so what is drawn does not change.
#include <array>
#include <cstdint>

#include "render/software/matrix_stack.h"

namespace qelo::software {

class RotationMemo {
public:
    // rotationMatrix(degrees, x, y, z), from the memo or worked out and kept.
    const Matrix4& matrix(float degrees, float x, float y, float z);

private:
    static constexpr std::size_t slots = 128;  // a power of two
    struct Slot {
        std::array<std::uint32_t, 4> key{};
        bool used = false;
        Matrix4 matrix{};
    };
    std::array<Slot, slots> slots_{};
};

}  // namespace qelo::software
