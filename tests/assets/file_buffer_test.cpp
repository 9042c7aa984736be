#include "assets/file_buffer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qelo::FileBuffer;

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("qelo-filebuffer-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const
    {
        const fs::path file = path / name;
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
};

TEST(FileBuffer, HoldsTheBytesUnchangedFollowedByOneFF)
{
    TempDir dir;
    // Line ends and a 0x1A must survive: the file is read in binary mode.
    const std::vector<std::uint8_t> bytes = {0xFF, 0xD8, 0x0D, 0x0A, 0x1A, 0x00, 0x0A, 0x7F};
    FileBuffer buffer(dir.write("a.bin", bytes).c_str());
    ASSERT_TRUE(buffer.loaded()) << buffer.error();
    ASSERT_EQ(buffer.size(), 9);
    EXPECT_EQ(buffer.fileSize(), 8);
    for (std::size_t i = 0; i < bytes.size(); ++i) EXPECT_EQ(buffer.data()[i], bytes[i]) << i;
    EXPECT_EQ(buffer.data()[8], 0xFF);
}

TEST(FileBuffer, EmptyFileGivesOneByte)
{
    TempDir dir;
    FileBuffer buffer(dir.write("empty", {}).c_str());
    ASSERT_TRUE(buffer.loaded());
    EXPECT_EQ(buffer.size(), 1);
    EXPECT_EQ(buffer.data()[0], 0xFF);
}

TEST(FileBuffer, ReloadingReplacesTheContents)
{
    TempDir dir;
    FileBuffer buffer(dir.write("long", std::vector<std::uint8_t>(5000, 0x55)).c_str());
    ASSERT_EQ(buffer.size(), 5001);
    EXPECT_EQ(buffer.load(dir.write("short", {1, 2}).c_str()), 0);
    ASSERT_EQ(buffer.size(), 3);
    EXPECT_EQ(buffer.data()[1], 2);
    EXPECT_EQ(buffer.data()[2], 0xFF);
}

TEST(FileBuffer, UnreadablePathsAreReportedAndNothingIsHeld)
{
    TempDir dir;
    FileBuffer buffer(dir.write("good", {1, 2, 3}).c_str());
    ASSERT_TRUE(buffer.loaded());

    // A missing file after a good one: the old contents are gone, not kept
    // under the new name.
    const std::string missing = (dir.path / "grafiikkaa" / "missing.jpg").string();
    EXPECT_NE(buffer.load(missing.c_str()), 0);
    EXPECT_FALSE(buffer.loaded());
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.size(), 0);
    EXPECT_NE(buffer.error().find("missing.jpg"), std::string::npos) << buffer.error();

    // A directory opens on some systems but cannot be read as a file.
    FileBuffer directory(dir.path.c_str());
    EXPECT_FALSE(directory.loaded());
    EXPECT_FALSE(directory.error().empty());
}

}  // namespace
