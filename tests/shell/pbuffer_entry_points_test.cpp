// The WGL entry-point table against a fake driver: what is fetched, in which
// order, and when the show may run.
#include "shell/pbuffer_entry_points.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace qelo {
namespace {

void someEntryPoint() {}

// A driver that knows every entry point except those listed as missing and
// advertises `extensions`. It records what it was asked.
struct FakeDriver {
    std::string extensions = "WGL_ARB_extensions_string WGL_ARB_pbuffer WGL_ARB_render_texture";
    bool nullExtensions = false;
    std::set<std::string> missing;
    std::vector<std::string> fetched;
    int extensionReads = 0;

    bool run(PbufferEntryPoints& table)
    {
        return fetchPbufferEntryPoints(
            [this](const char* name) -> EntryPoint {
                fetched.emplace_back(name);
                return missing.count(name) ? nullptr : someEntryPoint;
            },
            [this, &table]() -> const char* {
                ++extensionReads;
                EXPECT_NE(table[getExtensionsString], nullptr) << "string read before its entry point was fetched";
                return nullExtensions ? nullptr : extensions.c_str();
            },
            table);
    }
};

std::vector<std::string> allNames() { return {pbufferEntryPointNames.begin(), pbufferEntryPointNames.end()}; }

TEST(PbufferEntryPoints, CompleteDriverFetchesAllTwelveInTableOrder)
{
    FakeDriver driver;
    PbufferEntryPoints table{};
    EXPECT_TRUE(driver.run(table));
    EXPECT_EQ(driver.fetched, allNames());
    EXPECT_EQ(driver.extensionReads, 1);
    for (EntryPoint entry : table) EXPECT_EQ(entry, someEntryPoint);
}

TEST(PbufferEntryPoints, NoExtensionStringEntryPointStopsAtOnce)
{
    FakeDriver driver;
    driver.missing = {"wglGetExtensionsStringARB"};
    PbufferEntryPoints table{};
    table.fill(someEntryPoint);  // stale contents must not survive
    EXPECT_FALSE(driver.run(table));
    EXPECT_EQ(driver.fetched, std::vector<std::string>{"wglGetExtensionsStringARB"});
    EXPECT_EQ(driver.extensionReads, 0);
    for (EntryPoint entry : table) EXPECT_EQ(entry, nullptr);
}

// The substring rules themselves are tested with hasExtension; here only
// that the table uses them and stops after the string's own entry point.
TEST(PbufferEntryPoints, PbufferExtensionMustBeAdvertised)
{
    for (const char* extensions : {"", "WGL_ARB_render_texture WGL_ARB_pixel_format", static_cast<const char*>(nullptr)}) {
        FakeDriver driver;
        driver.nullExtensions = extensions == nullptr;
        driver.extensions = extensions ? extensions : "WGL_ARB_pbuffer";
        PbufferEntryPoints table{};
        EXPECT_FALSE(driver.run(table)) << (extensions ? extensions : "null");
        EXPECT_EQ(driver.fetched.size(), 1u);
    }
}

TEST(PbufferEntryPoints, EachRenderTextureEntryPointIsRequiredYetFetchingGoesOn)
{
    for (const char* name : {"wglBindTexImageARB", "wglReleaseTexImageARB", "wglSetPbufferAttribARB"}) {
        FakeDriver driver;
        driver.missing = {name};
        PbufferEntryPoints table{};
        EXPECT_FALSE(driver.run(table)) << name;
        EXPECT_EQ(driver.fetched, allNames()) << name;
        EXPECT_EQ(table[choosePixelFormat], someEntryPoint) << name;
    }
}

TEST(PbufferEntryPoints, PbufferAndPixelFormatEntryPointsAreNotRequired)
{
    FakeDriver driver;
    driver.missing = {"wglCreatePbufferARB",    "wglGetPbufferDCARB",           "wglReleasePbufferDCARB",
                      "wglDestroyPbufferARB",   "wglQueryPbufferARB",           "wglGetPixelFormatAttribivARB",
                      "wglGetPixelFormatAttribfvARB", "wglChoosePixelFormatARB"};
    PbufferEntryPoints table{};
    EXPECT_TRUE(driver.run(table));
    EXPECT_EQ(table[createPbuffer], nullptr);
    EXPECT_EQ(table[choosePixelFormat], nullptr);
    EXPECT_EQ(table[bindTexImage], someEntryPoint);
}

}  // namespace
}  // namespace qelo
