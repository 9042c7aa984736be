// qelo_golden: the pictures side of the whole-frame regression test and of
// the show hash. Commands:
//   shrink FRAME.png OUT.png          a captured frame as its golden picture
//   compare GOLDEN.png FRAME.png DIR  the frame shrunk and compared with the
//                                     golden; on failure DIR/<golden name>
//                                     -actual.png and -diff.png are written
//   pixels FRAME.png...               each frame's RGB bytes to stdout, in
//                                     order (for hashing the pixels alone)
// Exit codes: 0 pass, 1 the frame differs, 2 bad use or unreadable files.
#include <cstdio>
#include <filesystem>
#include <string>

#include "picture.h"

namespace {

using namespace qelo;
namespace fs = std::filesystem;

// The show's 1024 x 768 frames become 256 x 192: four by four blocks. Mesa's
// softpipe rasteriser, against the llvmpipe that made the goldens, differs
// in a few hundred full-size pixels by up to 73 levels (edge coverage of thin
// rings and squares); shrunk, at most 179 pixels (0.4 %) differ by more than
// 4 levels. Raising the dot grid's opacity from 0.30 to 0.33 moves 1,098 to
// 3,230 pixels beyond 4 levels, so 4 levels and 1 % keep both apart.
constexpr std::int32_t shrinkFactor = 4;
constexpr Tolerance tolerance{4, 0.01};

int usage()
{
    std::fputs("usage: qelo_golden shrink FRAME.png OUT.png\n"
               "       qelo_golden compare GOLDEN.png FRAME.png FAILURE_DIR\n"
               "       qelo_golden pixels FRAME.png...\n",
               stderr);
    return 2;
}

bool load(const std::string& path, RgbPicture& picture)
{
    const std::string error = readPng(path, picture);
    if (error.empty()) return true;
    std::fprintf(stderr, "qelo_golden: %s\n", error.c_str());
    return false;
}

bool loadShrunk(const std::string& path, RgbPicture& picture)
{
    RgbPicture frame;
    if (!load(path, frame)) return false;
    picture = boxShrink(frame, shrinkFactor);
    if (picture.rgb.empty()) {
        std::fprintf(stderr, "qelo_golden: %s: %d x %d is not divisible by %d\n", path.c_str(), frame.width,
                     frame.height, shrinkFactor);
        return false;
    }
    return true;
}

bool save(const std::string& path, const RgbPicture& picture)
{
    const std::string error = writeRgbPng(path, picture);
    if (error.empty()) return true;
    std::fprintf(stderr, "qelo_golden: %s\n", error.c_str());
    return false;
}

int shrink(const std::string& framePath, const std::string& outPath)
{
    RgbPicture small;
    if (!loadShrunk(framePath, small)) return 2;
    return save(outPath, small) ? 0 : 2;
}

int compareWithGolden(const std::string& goldenPath, const std::string& framePath, const std::string& failureDir)
{
    RgbPicture golden, actual;
    if (!load(goldenPath, golden) || !loadShrunk(framePath, actual)) return 2;
    const Comparison result = compare(golden, actual, tolerance);
    const std::string name = fs::path(goldenPath).stem().string();
    if (!result.sameSize) {
        std::fprintf(stderr, "FAIL %s: golden is %d x %d, the frame shrinks to %d x %d\n", name.c_str(), golden.width,
                     golden.height, actual.width, actual.height);
        return 1;
    }
    std::printf("%s %s: %lld of %lld pixels beyond %d levels (allowed %.0f), largest %d, mean %.3f\n",
                result.passes ? "ok  " : "FAIL", name.c_str(), static_cast<long long>(result.outliers),
                static_cast<long long>(result.pixels), tolerance.levels,
                tolerance.outlierFraction * static_cast<double>(result.pixels), result.largestDifference,
                result.meanDifference);
    if (result.passes) return 0;

    std::error_code error;
    fs::create_directories(failureDir, error);
    const std::string actualPath = (fs::path(failureDir) / (name + "-actual.png")).string();
    const std::string diffPath = (fs::path(failureDir) / (name + "-diff.png")).string();
    if (save(actualPath, actual) && save(diffPath, differencePicture(golden, actual, tolerance)))
        std::printf("     actual: %s\n     diff:   %s (red: beyond tolerance; difference x 8)\n", actualPath.c_str(),
                    diffPath.c_str());
    return 1;
}

int pixels(int count, char** paths)
{
    for (int i = 0; i < count; ++i) {
        RgbPicture picture;
        if (!load(paths[i], picture)) return 2;
        if (std::fwrite(picture.rgb.data(), 1, picture.rgb.size(), stdout) != picture.rgb.size()) {
            std::fputs("qelo_golden: cannot write to stdout\n", stderr);
            return 2;
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage();
    const std::string command = argv[1];
    if (command == "shrink" && argc == 4) return shrink(argv[2], argv[3]);
    if (command == "compare" && argc == 5) return compareWithGolden(argv[2], argv[3], argv[4]);
    if (command == "pixels" && argc >= 3) return pixels(argc - 2, argv + 2);
    return usage();
}
