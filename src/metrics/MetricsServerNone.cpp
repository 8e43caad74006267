#include "metrics/MetricsServer.h"

// A build without an HTTP library: the textfile is the way out.
class MetricsServer::Impl {};

MetricsServer::MetricsServer(LatestMetrics& latest) : MetricsServer(latest, Limits{}) {}
MetricsServer::MetricsServer(LatestMetrics&, Limits) {}
MetricsServer::~MetricsServer() = default;
bool MetricsServer::Start(const ListenAddress&, std::string& error) {
    error = "this qorpoll was built without an HTTP listener; use --textfile";
    return false;
}
void MetricsServer::Stop() {}
int MetricsServer::Port() const { return -1; }
uint64_t MetricsServer::Scrapes() const { return 0; }
