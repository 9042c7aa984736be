#include "render/texture.h"

#include <gtest/gtest.h>

namespace {

struct SizeOnly : qelo::Texture {
    SizeOnly(int w, int h) : Texture(w, h) {}
    unsigned int bind() override { return 0; }
    std::uint8_t* readPixels() override { return nullptr; }
    void writePixels(const std::uint8_t*, std::int32_t, std::int32_t) override {}
};

TEST(TextureSize, StorageIsTheSmallestPowerOfTwoAndScalesMarkThePictureEdge)
{
    struct Case {
        int size, storage;
        float scale;
    } cases[] = {{1024, 1024, 1.0f}, {768, 1024, 0.75f}, {513, 1024, 513.0f / 1024}, {512, 512, 1.0f},
                 {1, 1, 1.0f},       {0, 1, 0.0f},       {2, 2, 1.0f},              {3, 4, 0.75f}};
    for (const Case& c : cases) {
        SizeOnly texture(c.size, c.size);
        EXPECT_EQ(texture.storageWidth, c.storage) << c.size;
        EXPECT_EQ(texture.storageHeight, c.storage) << c.size;
        EXPECT_EQ(texture.uScale, c.scale) << c.size;
    }

    SizeOnly photo(640, 480);
    EXPECT_EQ(photo.storageWidth, 1024);
    EXPECT_EQ(photo.storageHeight, 512);
    EXPECT_EQ(photo.uScale, 0.625f);
    EXPECT_EQ(photo.vScale, 0.9375f);

    photo.setSize(100, 50);
    EXPECT_EQ(photo.width, 100);
    EXPECT_EQ(photo.storageHeight, 64);
}

TEST(TextureSize, NegativeAndHugeSizesNeitherLoopNorOverflow)
{
    SizeOnly negative(-5, -1);
    EXPECT_EQ(negative.storageWidth, 1);
    EXPECT_LE(negative.uScale, 0.0f);
    EXPECT_EQ(qelo::storageSizeFor(0x7FFFFFFF), 1 << 30);
}

}  // namespace
