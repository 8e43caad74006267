#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "metrics/LatestMetrics.h"
#include "metrics/ListenAddress.h"

// The HTTP endpoint of the metrics: GET /metrics (the latest poll's text, in the format the
// scraper asks for) and GET / (a page that links to it); 404 for any other path, 405 for any
// other method, 400 for what is no HTTP request, 431 for too many headers. One request per
// connection, within fixed limits; nothing it serves reaches the driver.
class MetricsServer {
public:
    struct Limits {
        std::size_t requestBytes = 8192;  // request line and headers together
        std::size_t headers = 64;
        int requestMs = 5000;   // to receive the whole request
        int responseMs = 30000;  // to send the whole answer
        int workers = 4;         // connections served at once
    };

    explicit MetricsServer(LatestMetrics& latest);
    MetricsServer(LatestMetrics& latest, Limits limits);
    ~MetricsServer();
    MetricsServer(const MetricsServer&) = delete;
    MetricsServer& operator=(const MetricsServer&) = delete;

    // Binds and serves on threads of its own; false with the reason when it cannot.
    bool Start(const ListenAddress& address, std::string& error);
    void Stop();
    // The port bound, after Start.
    int Port() const;
    // GET /metrics answered so far.
    uint64_t Scrapes() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};
