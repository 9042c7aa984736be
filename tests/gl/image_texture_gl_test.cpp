// Image textures: exact read-back around their power-of-two storage, bad
// uploads, filters, and the GL state an upload leaves. (Alpha from
// brightness the start-up test checks on every portrait's texels.)
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "gl/gl_fixture.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"

namespace qelo::test {
namespace {

using ImageTextureTest = ShowGlTest;

// A picture whose every texel differs from its neighbours in every channel.
std::vector<std::uint8_t> pattern(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x * 7 + y * 13);
            p[3] = static_cast<std::uint8_t>(255 - x - y);
        }
    }
    return pixels;
}

// The whole GL storage of a texture, storageWidth x storageHeight RGBA.
std::vector<std::uint8_t> storageOf(ImageTexture& texture)
{
    std::vector<std::uint8_t> storage(static_cast<std::size_t>(texture.storageWidth) * texture.storageHeight * 4);
    texture.bind();
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, storage.data());
    return storage;
}

TEST_F(ImageTextureTest, PictureIsStoredInPowerOfTwoStorageAndReadBackExactly)
{
    ImageTexture texture;
    const std::vector<std::uint8_t> picture = pattern(640, 480);
    texture.writePixels(picture.data(), 640, 480);  // in 1024 x 512 storage
    const std::uint8_t* back = texture.readPixels();
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + picture.size()), picture);

    // The picture's first row is texture row 0; the padding is transparent black.
    const std::vector<std::uint8_t> storage = storageOf(texture);
    EXPECT_EQ(storage[(0 * 1024 + 639) * 4 + 0], picture[639 * 4 + 0]);
    for (std::size_t i : {std::size_t{640 * 4}, std::size_t{(479 * 1024 + 1023) * 4}, std::size_t{(511 * 1024) * 4}}) {
        EXPECT_EQ(storage[i + 0] | storage[i + 1] | storage[i + 2] | storage[i + 3], 0) << "byte " << i;
    }
}

TEST_F(ImageTextureTest, PowerOfTwoPictureNeedsNoPaddingAndAResizeIsReadBack)
{
    ImageTexture texture;
    const std::vector<std::uint8_t> small = pattern(8, 8);
    texture.writePixels(small.data(), 8, 8);
    texture.readPixels();
    const std::vector<std::uint8_t> picture = pattern(256, 256);
    texture.writePixels(picture.data(), 256, 256);
    EXPECT_EQ(texture.storageWidth, 256);
    EXPECT_EQ(texture.uScale, 1.0f);
    EXPECT_EQ(texture.vScale, 1.0f);
    const std::uint8_t* back = texture.readPixels();
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + picture.size()), picture);
    EXPECT_EQ(storageOf(texture), picture);
}

// No texels or a negative size: refused. A zero size rewrites the texels at
// the size already held.
TEST_F(ImageTextureTest, BadUploadsAreRefusedAndZeroSizeKeepsTheSize)
{
    ImageTexture texture;
    std::vector<std::uint8_t> picture = pattern(100, 50);
    texture.writePixels(picture.data(), 100, 50);
    texture.writePixels(nullptr, 16, 16);
    texture.writePixels(picture.data(), -4, 4);
    picture[0] = 42;
    texture.writePixels(picture.data(), 0, 0);
    EXPECT_EQ(texture.width, 100);
    EXPECT_EQ(texture.height, 50);
    EXPECT_EQ(texture.readPixels()[0], 42);
}

TEST_F(ImageTextureTest, EveryUploadSetsLinearFiltersInTheUploadingContext)
{
    ImageTexture texture;  // name generated in the window's context
    const std::vector<std::uint8_t> picture = pattern(4, 4);
    renderTargets.target(3).makeCurrent();
    texture.writePixels(picture.data(), 4, 4);  // a fresh object in target 3's context
    texture.bind();
    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    mainWindow.makeCurrent();
}

TEST_F(ImageTextureTest, ConstructionAndUploadLeaveEnablesAndBindingAlone)
{
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    ImageTexture texture;
    const std::vector<std::uint8_t> picture = pattern(4, 4);
    texture.writePixels(picture.data(), 4, 4);
    EXPECT_EQ(boundTexture(), 0u);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    texture.readPixels();  // leaves texturing on and the texture bound
    EXPECT_EQ(boundTexture(), texture.textureName);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
}

}  // namespace
}  // namespace qelo::test
