#pragma once

#include <QTemporaryDir>
#include <utility>

#include "platform/SocketControlDevice.h"
#include "sim/DriverSimulator.h"
#include "sim/SimServer.h"
#include "support/PanelFixture.h"

// The simulator served on a socket in the fixture's folder, as qorsimd serves it, and the
// panel's socket to it. The user starts the server, and reports its error when it will not.
struct SocketSimulator {
    explicit SocketSimulator(const sim::SimOptions& options = {}, const UnansweredCodes::Timing& timing = {},
                             UnansweredCodes::Clock clock = {})
        : sim(options), server(sim, (dir.path() + "/control").toStdString()), device(server.Path(), timing, std::move(clock)) {}

    QTemporaryDir dir;
    sim::DriverSimulator sim;
    sim::SimServer server;
    SocketControlDevice device;
};

using SocketPanelFixture = BasicPanelFixture<SocketSimulator>;
