// Animated GIFs: frame count, size and timing as decoded by giflib, the
// pictures the changed-rectangle frames compose to, and the downscale.
#include <gtest/gtest.h>

#include <SDL.h>
#include <gif_lib.h>

#include <cstring>

#include "tools/replays/headless_run.h"
#include "tools/replays/replay_gif.h"
#include "tools/output/gif_file.h"
#include "tests/support/process.h"
#include "tests/tools/tool_files.h"

TEST(ReplayGif, DelaysCarryTheRoundingSoTheTotalKeepsRealTime) {
    // 3 frames of 16 ms are 4.8 cs: shown as 5, 5, 4, 5, 5, ...
    EXPECT_EQ(gifDelayCs(0, 3), 5);
    EXPECT_EQ(gifDelayCs(3, 6), 5);
    EXPECT_EQ(gifDelayCs(6, 9), 4);
    int64_t total = 0;
    for (int64_t f = 0; f < 3750; f += 7) total += gifDelayCs(f, std::min<int64_t>(f + 7, 3750));
    EXPECT_EQ(total, 6000);  // 3750 x 16 ms = 60 s
}

TEST(ReplayGif, DownscaleKeepsThinLinesByColourPriority) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, 8, 4, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    std::memset(s->pixels, 0, static_cast<std::size_t>(s->h) * s->pitch);
    auto put = [&](int x, int y, uint32_t p) { static_cast<uint32_t*>(s->pixels)[y * s->pitch / 4 + x] = p; };
    put(1, 1, 0xFF0000);  // red alone in block (0, 0)
    put(2, 0, 0x646464);  // frame grey under
    put(3, 1, 0x0000FF);  // blue in block (1, 0): blue wins
    put(4, 2, 0x123456);  // a colour the scene never draws
    put(7, 3, 0x323232);  // spoke grey
    IndexedImage out;
    SurfaceIndexer(s->format, 2).index(s, out);
    ASSERT_EQ(out.width, 4);
    ASSERT_EQ(out.height, 2);
    EXPECT_EQ(out.pixels, (std::vector<uint8_t>{gifRed, gifBlue, gifBlack, gifBlack,  //
                                                gifBlack, gifBlack, gifOther, gifSpokeGrey}));
    SDL_FreeSurface(s);
}

TEST(ReplayGif, DecodesToTheExpectedFramesAndFinalPicture) {
    TempDir dir;
    std::string levelPath = dir.file("floor.lev");
    writeFile(levelPath, floorLevelBytes());
    KeyScript script;
    std::string error;
    std::istringstream keys("0 press up\n");
    ASSERT_TRUE(parseKeyScript(keys, "k", script, error));
    std::string replay = dir.file("run.rec");
    ASSERT_EQ(driveToFile(levelPath, script, 150, replay), "");

    GifOptions options;
    options.from = 10;
    options.to = 100;
    options.every = 3;
    options.scale = 2;
    GifSummary summary;
    std::string gifPath = dir.file("run.gif");
    ASSERT_EQ(renderReplayGif(replay, levelPath, gifPath, options, summary), "");
    EXPECT_EQ(summary.frames, 31);  // frames 10, 13, ..., 100

    int code = 0;
    GifFileType* gif = DGifOpenFileName(gifPath.c_str(), &code);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, 512);
    EXPECT_EQ(gif->SHeight, 384);
    ASSERT_EQ(gif->ImageCount, 31);

    // Compose the frames as a viewer does (each left in place) and time them.
    std::vector<uint8_t> canvas(512 * 384, 0);
    int totalDelay = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& image = gif->SavedImages[i];
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &control), GIF_OK);
        totalDelay += control.DelayTime;
        const GifImageDesc& d = image.ImageDesc;
        for (int y = 0; y < d.Height; ++y)
            std::memcpy(&canvas[(d.Top + y) * 512 + d.Left], image.RasterBits + y * d.Width, d.Width);
    }
    EXPECT_EQ(totalDelay, 146);  // 91 frames x 16 ms = 1.456 s
    DGifCloseFile(gif, &code);

    HeadlessGame game;
    ASSERT_EQ(game.startReplay(replay, levelPath), "");
    for (int f = 0; f <= 100; ++f) game.runFrame();
    IndexedImage last;
    SurfaceIndexer(game.surface()->format, 2).index(game.surface(), last);
    EXPECT_TRUE(canvas == last.pixels);
}

TEST(ReplayGif, NoisyFramesDecodeExactly) {
    // Random colours fill the compression table many times over, and a frame
    // that changes one pixel is stored as that pixel alone.
    TempDir dir;
    GifAnimation gif;
    ASSERT_EQ(gif.open(dir.file("noise.gif"), 300, 200), "");
    uint32_t seed = 12345;
    std::vector<std::vector<uint8_t>> frames;
    for (int f = 0; f < 3; ++f) {
        IndexedImage image{300, 200, std::vector<uint8_t>(300 * 200)};
        for (uint8_t& p : image.pixels) {
            seed = seed * 1103515245u + 12345u;
            p = static_cast<uint8_t>((seed >> 16) % (f == 1 ? 2 : 7));
        }
        if (f == 2) {
            image.pixels = frames.back();
            image.pixels[150 * 300 + 77] ^= 1;
        }
        frames.push_back(image.pixels);
        ASSERT_EQ(gif.addFrame(image, 4), "");
    }
    ASSERT_EQ(gif.close(), "");

    int code = 0;
    GifFileType* decoded = DGifOpenFileName(dir.file("noise.gif").c_str(), &code);
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(DGifSlurp(decoded), GIF_OK);
    ASSERT_EQ(decoded->ImageCount, 3);
    for (int f = 0; f < 2; ++f)
        EXPECT_EQ(std::memcmp(decoded->SavedImages[f].RasterBits, frames[f].data(), frames[f].size()), 0) << f;
    const GifImageDesc& last = decoded->SavedImages[2].ImageDesc;
    EXPECT_EQ(last.Left, 77);
    EXPECT_EQ(last.Top, 150);
    EXPECT_EQ(last.Width * last.Height, 1);
    EXPECT_EQ(decoded->SavedImages[2].RasterBits[0], frames[2][150 * 300 + 77]);
    DGifCloseFile(decoded, &code);
}
