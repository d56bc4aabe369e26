// Startup order, the frame order and shutdown.
#include "app/game.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "app/program_dir.h"
#include "display/display.h"
#include "display/scene.h"
#include "platform/local_time.h"
#include "platform/ticks.h"
#include "sim/contact_list.h"
#include "sim/step.h"
#include "sim/world.h"
#include "sim/wrapping.h"

namespace {
constexpr int32_t kLevelReloadPeriod = 1000;  // frames between reloads of the current directory's level
}

void runFrame(Display& display, RunState& run) {
    if (world.recordMode) {
        contactList.clear();
        if (world.frameCounter % kLevelReloadPeriod == 0) run.levelLoader.reload(run.reloadPath, level);
        stepSimulation();
        run.writer->append(world);
    } else {
        run.reader->playNext(world, run.running);
    }
    if (run.drawing) drawScene(display, world, level, contactList);
    else takeEndOfFrameCopy(world);
    display.frameStep(world, run.reader ? run.reader->stream() : nullptr);
    world.frameCounter = wrappingAdd(world.frameCounter, 1);
}

int runGame(int argc, char** argv) {
    world.recordMode = argc < 2 ? 1 : 0;
    world.gravity = Vec2(0, kInitialGravityY);
    std::ifstream levelStream;

    RunState run;
    run.programDirectory = programDirectoryOf(argc > 0 ? argv[0] : nullptr);
    if (world.recordMode) {
        run.writer = std::make_unique<ReplayWriter>(composeReplayPath(run.programDirectory, currentDateTime()));
    } else {
        run.reader = std::make_unique<ReplayReader>(argv[1]);
        if (!run.reader->isOpen()) {
            std::cerr << argv[1] << ": " << run.reader->error() << '\n';
            return 1;
        }
    }

    try {
        std::string levelPath = run.programDirectory + kLevelFileName;
        levelStream.open(levelPath, std::ios::binary);
        run.levelLoader.readCount(levelStream, levelPath);
    } catch (...) {
        std::cout << "IOER" << std::flush;
        return 1;
    }

    Display display(&run.running, world.recordMode, run.programDirectory);
    if (display.status == DisplayStatus::videoFailed) return 1;

    run.levelLoader.readTriangles(levelStream, level);
    std::srand(getTickCount());
    initialiseWorld(world);

    while (run.running) runFrame(display, run);

    levelStream.close();
    if (run.writer) run.writer->close();
    run.writer.reset();
    run.reader.reset();
    return display.status == DisplayStatus::ok ? 0 : 1;
}
