#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "metrics/MetricsServer.h"
#include "support/LoopbackHttp.h"

namespace {
using Clock = std::chrono::steady_clock;

std::vector<MetricFamily> Families(const std::string& value) {
    return {MetricFamily{"qor_driver_up", false, "Up.", {MetricSample{"", value}}},
            MetricFamily{"qor_iso_in_missing_packet", true, "Missing \"packets\".",
                         {MetricSample{"{device=\"A\",stream=\"0\",error=\"true\"}", "3"}}}};
}

class MetricsServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        latest.Update([] {});
        std::string error;
        ASSERT_TRUE(server.Start(ListenAddress{"127.0.0.1", 0}, error)) << error;
        port = server.Port();
    }
    std::string up = "1";
    int made = 0;
    LatestMetrics latest{[this](MetricsText::Format format) {
        ++made;
        return MetricsText::Write(Families(up), format);
    }};
    MetricsServer::Limits limits{2048, 16, 400, 2000, 4};
    MetricsServer server{latest, limits};
    int port = 0;
};
}  // namespace

// What the endpoint answers to good and bad requests alike; after all of them it still serves.
TEST_F(MetricsServerTest, AnswersEveryRequestAsHttpWants) {
    std::string manyHeaders;
    for (int i = 0; i < 40; ++i) manyHeaders += "X-" + std::to_string(i) + ": 1\r\n";
    struct Case {
        std::string request;
        std::string status;  // the start of the answer
        std::string contains;
    };
    const Case cases[] = {
        {LoopbackGet("/metrics"), "HTTP/1.1 200", "text/plain; version=0.0.4; charset=utf-8"},
        {LoopbackGet("/metrics?x=1"), "HTTP/1.1 200", "qor_iso_in_missing_packet_total{device=\"A\",stream=\"0\",error=\"true\"} 3"},
        {LoopbackGet("/metrics", "Accept: application/openmetrics-text;version=1.0.0\r\n"), "HTTP/1.1 200", "# EOF"},
        {LoopbackGet("/"), "HTTP/1.1 200", "<a href=\"/metrics\">"},
        {LoopbackGet("/metrics", "Accept-Encoding: gzip\r\n"), "HTTP/1.1 200", "qor_driver_up 1"},
        {LoopbackGet("/metrics/"), "HTTP/1.1 404", ""},
        {LoopbackGet("/../etc/passwd"), "HTTP/1.1 40", ""},
        {"POST /metrics HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", "HTTP/1.1 405", "Allow: GET"},
        {"DELETE / HTTP/1.1\r\n\r\n", "HTTP/1.1 405", ""},
        {"HEAD /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 405", ""},
        {"BREW /metrics HTTP/1.1\r\n\r\n", "HTTP/1.1 400", ""},
        {"this is no request\r\n\r\n", "HTTP/1.1 400", ""},
        {LoopbackGet("/metrics", "X-Big: " + std::string(4000, 'a') + "\r\n"), "HTTP/1.1 400", ""},
        {LoopbackGet("/metrics", manyHeaders), "HTTP/1.1 431", ""},
        {"GET /" + std::string(3000, 'm') + " HTTP/1.1\r\n\r\n", "HTTP/1.1 400", ""},
        {"", "HTTP/1.1 408", ""},
    };
    for (const Case& c : cases) {
        const std::string answer = LoopbackExchange(port, c.request);
        EXPECT_TRUE(answer.starts_with(c.status))
            << c.request.substr(0, 80) << "\n" << answer.substr(0, 200);
        EXPECT_NE(answer.find(c.contains), std::string::npos) << c.request.substr(0, 80) << "\n" << answer;
    }
    EXPECT_EQ(server.Scrapes(), 4u);
    EXPECT_TRUE(LoopbackExchange(port, LoopbackGet("/metrics")).starts_with("HTTP/1.1 200"));
}

// A client that trickles its request is cut off at the time limit, and its neighbours are
// served meanwhile.
TEST_F(MetricsServerTest, ASlowClientIsCutOffAndOthersAreServedMeanwhile) {
    const auto start = Clock::now();
    std::string slow;
    std::thread trickle([&] { slow = LoopbackExchange(port, LoopbackGet("/metrics", "X-Slow: 1\r\n"), 40); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(LoopbackExchange(port, LoopbackGet("/metrics")).starts_with("HTTP/1.1 200"));
    trickle.join();
    EXPECT_TRUE(slow.starts_with("HTTP/1.1 408")) << slow;
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

// However many scrapers come at once, each tick's metrics are made and written out once per
// format, and only the poll loop ticks: scrapes never reach the driver.
TEST_F(MetricsServerTest, ConcurrentScrapesShareOneTextPerTick) {
    std::vector<std::thread> scrapers;
    std::vector<std::string> answers(20);
    for (std::size_t i = 0; i < answers.size(); ++i)
        scrapers.emplace_back([&, i] { answers[i] = LoopbackExchange(port, LoopbackGet("/metrics")); });
    for (std::thread& t : scrapers) t.join();
    for (const std::string& a : answers) EXPECT_NE(a.find("qor_driver_up 1\n"), std::string::npos) << a;
    EXPECT_EQ(latest.Updates(), 1u);
    EXPECT_EQ(latest.TextsWritten(), 1u);

    // Ticks nobody scrapes make no metrics.
    for (int i = 0; i < 3; ++i) latest.Update([this] { up = "0"; });
    EXPECT_EQ(made, 1);
    EXPECT_NE(LoopbackExchange(port, LoopbackGet("/metrics")).find("qor_driver_up 0\n"), std::string::npos);
    EXPECT_EQ(latest.TextsWritten(), 2u);
    EXPECT_EQ(made, 2);
}

TEST(MetricsServer, ListensOnLoopbackUnlessToldAndRefusesABusyPort) {
    struct Case {
        const char* text;
        bool valid;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"9469", true, "127.0.0.1", 9469},        {"0.0.0.0:9469", true, "0.0.0.0", 9469},
        {"[::1]:80", true, "::1", 80},            {"localhost:0", true, "localhost", 0},
        {"::1:80", false, "", 0},                 {"127.0.0.1:65536", false, "", 0},
        {"127.0.0.1:", false, "", 0},             {"", false, "", 0},
        {"host name:80", false, "", 0},           {"127.0.0.1:-1", false, "", 0},
        {"127.0.0.1:+80", false, "", 0},          {"[::1:80", false, "", 0},
    };
    for (const Case& c : cases) {
        const std::optional<ListenAddress> a = ListenAddress::Parse(c.text);
        ASSERT_EQ(a.has_value(), c.valid) << c.text;
        if (!a) continue;
        EXPECT_EQ(a->host, c.host) << c.text;
        EXPECT_EQ(a->port, c.port) << c.text;
    }

    LatestMetrics latest([](MetricsText::Format format) { return MetricsText::Write(Families("1"), format); });
    MetricsServer first(latest), second(latest);
    std::string error;
    ASSERT_TRUE(first.Start(ListenAddress{"127.0.0.1", 0}, error)) << error;
    EXPECT_FALSE(second.Start(ListenAddress{"127.0.0.1", first.Port()}, error));
    EXPECT_NE(error.find(std::to_string(first.Port())), std::string::npos) << error;
}
