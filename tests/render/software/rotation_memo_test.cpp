// The rotation memo hands back, for any arguments, the bits rotationMatrix
// gives for them, however arguments that share a slot come and go.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "render/software/rotation_memo.h"

namespace qelo::test {
namespace {

using software::Matrix4;

bool sameBits(const Matrix4& a, const Matrix4& b) { return std::memcmp(a.data(), b.data(), sizeof a) == 0; }

TEST(RotationMemo, GivesTheMatrixOfTheArgumentsThroughCollisionsAndRepeats)
{
    // 600 arguments over 128 slots: many share one. Angles and axes as the
    // scenes turn (whole and fractional degrees about unit and skew axes),
    // zeros of both signs, and arguments that are not numbers.
    std::mt19937 random(11);
    std::uniform_real_distribution<float> angle(-4000, 4000), axis(-1, 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    std::vector<std::array<float, 4>> arguments = {
        {0.0f, 0, 1, 0}, {-0.0f, 0, 1, 0}, {2.0f, 0, 1, 0}, {2.0f, 0, -0.0f, 1}, {nan, 1, 0, 0}, {30, nan, 0, 0},
        {45, 0, 0, 0}, {180, 0, 0, 1}};
    for (int k = 0; k < 300; ++k) arguments.push_back({static_cast<float>(30 * k), 0, 0, 1});
    while (arguments.size() < 600) arguments.push_back({angle(random), axis(random), axis(random), axis(random)});

    software::RotationMemo memo;
    for (int pass = 0; pass < 3; ++pass)  // in order, then every seventh first: each meets other tenants
        for (std::size_t n = 0; n < arguments.size(); ++n) {
            const auto& a = arguments[pass == 1 ? (n * 7) % arguments.size() : n];
            const Matrix4 want = software::rotationMatrix(a[0], a[1], a[2], a[3]);
            ASSERT_TRUE(sameBits(memo.matrix(a[0], a[1], a[2], a[3]), want))
                << "pass " << pass << ": " << a[0] << " degrees about " << a[1] << ", " << a[2] << ", " << a[3];
        }
}

}  // namespace
}  // namespace qelo::test
