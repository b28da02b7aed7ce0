// The world runner: loads a simulated world, runs a script of steps against it
// on the virtual clock, and prints the log lines and the final world as JSON.
//
//   zoral-world WORLD.json [SCRIPT.json]

#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/json.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "script.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace {

zoral::platform::Json readJson(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw zoral::world_runner::ScriptError(std::string(path) + ": cannot be read");
    std::stringstream text;
    text << in.rdbuf();
    auto decoded = zoral::platform::decodeJson(text.str());
    if (!decoded.ok()) {
        throw zoral::world_runner::ScriptError(std::string(path) + ": " +
                                               decoded.error.value_or("not JSON"));
    }
    return *decoded.value;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zoral;
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: zoral-world WORLD.json [SCRIPT.json]\n";
        return 2;
    }
    platform::ScopedScheduler scheduler;  // the virtual clock
    sim::ScopedWorld world;
    try {
        sim::loadWorldFile(*world, argv[1]);
        if (argc == 3)
            world_runner::runScript(readJson(argv[2]));
        scheduler->runUntilIdle();
    } catch (const std::exception& error) {
        std::cerr << "zoral-world: " << error.what() << "\n";
        return 1;
    }
    platform::output::printLine(sim::dumpWorld(*world).dump(2));
    return 0;
}
