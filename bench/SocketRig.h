#pragma once

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "sim/DriverSimulator.h"
#include "sim/SimServer.h"

// The simulator served on a socket in a folder of its own, as qorsimd serves it.
struct SocketRig {
    std::string dir;
    std::unique_ptr<sim::DriverSimulator> sim;
    std::unique_ptr<sim::SimServer> server;

    explicit SocketRig(const sim::SimOptions& options) : sim(std::make_unique<sim::DriverSimulator>(options)) {
        char name[] = "/tmp/qorbench-XXXXXX";
        if (::mkdtemp(name)) dir = name;
        server = std::make_unique<sim::SimServer>(*sim, dir + "/control");
    }
    ~SocketRig() {
        server.reset();
        if (!dir.empty()) std::filesystem::remove_all(dir);
    }
    std::string Path() const { return server->Path(); }
};
