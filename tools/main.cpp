// qelo_assets: writes the show's pictures and music into a folder.
//   qelo_assets OUTPUT_DIR [--pictures-only]
// The same build always writes the same bytes.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "common/files.h"
#include "picture/jpeg_file.h"
#include "picture/portrait.h"
#include "picture/tiles.h"
#include "sound/mp3_file.h"
#include "sound/song.h"

using namespace qelo::assetgen;

namespace {

void writePictures(const std::filesystem::path& out)
{
    for (int i = 0; i < portraitCount; ++i) {
        const auto path = out / "grafiikkaa" / ("ihminen" + std::to_string(i + 1) + ".jpg");
        writeFile(path, encodeJpeg(drawPortrait(portraitStyle(i))));
        std::printf("%s\n", path.string().c_str());
    }
    for (int i = 0; i < tileCount; ++i) {
        const auto path = out / "grafiikkaa" / ("tile" + std::to_string(i + 1) + ".jpg");
        writeFile(path, encodeJpeg(drawTile(i)));
        std::printf("%s\n", path.string().c_str());
    }
}

void writeMusic(const std::filesystem::path& out)
{
    const auto path = out / "vamma4.mp3";
    const StereoBuffer song = renderSong(songLength);
    writeFile(path, encodeMp3(song));
    const SongLevels levels = measure(song);
    std::printf("%s  peak %.2f dBFS, rms %.2f dBFS\n", path.string().c_str(), levels.peakDb, levels.rmsDb);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string usage = "usage: qelo_assets OUTPUT_DIR [--pictures-only]\n";
    if (argc < 2 || argc > 3 || (argc == 3 && std::string(argv[2]) != "--pictures-only")) {
        std::fputs(usage.c_str(), stderr);
        return 2;
    }
    try {
        const std::filesystem::path out = argv[1];
        writePictures(out);
        if (argc == 2)
            writeMusic(out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qelo_assets: %s\n", e.what());
        return 1;
    }
    return 0;
}
