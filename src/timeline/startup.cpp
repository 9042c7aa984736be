#include "timeline/startup.h"

#include <cstdio>

#include "assets/file_buffer.h"
#include "assets/jpeg/decoder.h"
#include "effects/effects.h"
#include "render/current_drawing.h"
#include "render/image_texture.h"
#include "render/image_texture.h"
#include "render/render_target_bank.h"
#include "shell/globals.h"
#include "shell/music.h"
#include "shell/random.h"
#include "timeline/scene_list.h"

namespace qelo {

namespace {

// Loads, decodes and post-processes one picture in the current context.
void loadPicture(ImageTexture& texture, const char* path)
{
    FileBuffer file(path);
    const std::int32_t largest = largestTextureSize();
    if (!file.loaded()) {
        std::fprintf(stderr, "qelo: cannot read %s; its texture stays empty\n", file.error().c_str());
    } else if (DecodeResult result = decode(texture, file.data(), file.size(), largest); !result) {
        if (result.error == largerThanTexture) {
            std::fprintf(stderr,
                         "qelo: %s: picture of %d x %d pixels needs a %d x %d texture, larger than this renderer's "
                         "largest of %d x %d; its texture stays empty\n",
                         path, result.width, result.height, storageSizeFor(result.width), storageSizeFor(result.height),
                         largest, largest);
        } else {
            std::fprintf(stderr, "qelo: %s: not a usable JPEG picture (%s); its texture stays empty\n", path,
                         result.error);
        }
    } else {
        alphaFromLuminance(texture);
        return;
    }
    // alphaFromLuminance's read-back would have left texturing enabled with
    // this texture bound; the scenes inherit that state, so leave it too.
    currentDrawing().enable(Capability::texture2D);
    texture.bind();
}

}  // namespace

void appendSchedule()
{
    sceneList.append(SceneEntry(dotGridEffect, 0.0f, 50.0f, 0))
        .append(SceneEntry(tileWallEffect, 15.0f, 50.0f, 0))
        .append(SceneEntry(ringStackEffect, 0.0f, 15.0f, 0))
        .append(SceneEntry(ripplePlanesEffect, 15.0f, 25.0f, 0))
        .append(SceneEntry(ringStackEffect, 15.0f, 50.0f, 2))
        .append(SceneEntry(squareSwarmEffect, 25.0f, 55.0f, 0))
        .append(SceneEntry(dotGridEffect, 55.0f, 100.0f, 0))
        .append(SceneEntry(treeSceneEffect, 55.0f, 100.0f, 0))
        .append(SceneEntry(tileWallEffect, 100.0f, 120.0f, 0))
        .append(SceneEntry(squareSwarmEffect, 103.0f, 120.0f, 0));
}

bool startUp(TargetFailure onFailure)
{
    // Both arrays generate their texture names in the window's context.
    portraitTextures = new ImageTexture[portraitCount];
    tileTextures = new ImageTexture[tileCount];
    renderTargets.create(5);
    if (!mainWindow.running && onFailure == TargetFailure::Stop) return false;

    appendSchedule();

    for (std::int32_t i = 0; i < discardedDraws; ++i) rand();

    // A picture exists only in the context current at its upload: the
    // portraits in target 3's, where the tree scene draws them, the tiles in
    // target 4's, where the tile wall draws them.
    renderTargets.target(3).makeCurrent();
    for (int k = 0; k < portraitCount; ++k) loadPicture(portraitTextures[k], portraitFiles[k]);
    renderTargets.target(4).makeCurrent();
    for (int k = 0; k < tileCount; ++k) loadPicture(tileTextures[k], tileFiles[k]);

    startMusic(musicFile);
    frameClock.restart();
    return mainWindow.running;
}

}  // namespace qelo
