#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <set>
#include <string>

#include "driver/CDev.h"
#include "driver/IoctlCodes.h"
#include "metrics/MetricsLayout.h"
#include "metrics/MetricsText.h"
#include "rows/ShownCounters.h"
#include "support/PageTextSourcesOf.h"
#include "support/RefreshReads.h"
#include "support/SimulatedDriver.h"

namespace {
using Format = MetricsText::Format;

// The simulator's studio, read once as a refresh reads it; its values are poked beforehand.
struct Studio : SimulatedDriver {
    using SimulatedDriver::SimulatedDriver;
    std::string Text(Format format = Format::Prometheus, bool up = true) {
        RefreshReads(dev);
        return Written(layout, format, up);
    }
    std::string Written(MetricsLayout& with, Format format = Format::Prometheus, bool up = true) const {
        return with.Text(MetricsSources{PageTextSourcesOf(dev), up, 0.0125}, format);
    }
    MetricsLayout layout;
};

bool HasLine(const std::string& text, const std::string& line) {
    return text.find("\n" + line + "\n") != std::string::npos || text.starts_with(line + "\n");
}
}  // namespace

// What a scraper gets for the studio: the names, labels, types and help texts the row tables
// give, the values the pages show, n/a left out, and what the driver names escaped.
TEST(MetricsText, StudioExpositionCarriesThePagesValuesUnderTheRowTablesNames) {
    Studio studio;
    sim::DriverSimulator& s = studio.sim;
    ASSERT_TRUE(s.SetIsoInField(0, IsoInField::TotalPacketsReceived, 123456));
    ASSERT_TRUE(s.SetIsoInField(1, IsoInField::MissingPacket, ValueNotAvailable));
    ASSERT_TRUE(s.SetIsoInField(0, IsoInField::MissingPacket, 7));
    ASSERT_TRUE(s.SetIsoInField(0, IsoInField::MinSytOffset, static_cast<uint32_t>(-5)));
    ASSERT_TRUE(s.SetAsioStatisticsField(AsioStatisticsField::RefClockIntervalMicros, 10666));
    ASSERT_TRUE(s.SetDeviceNames(1, "Say \"hi\" C:\\x\nnext", "Live"));
    ASSERT_TRUE(s.SetBundleEntryField(Dir::Out, 0, 1, BundleChannelEntryField::NoBuffer, 3));
    const std::string text = studio.Text();
    const std::string quoted = "Say \\\"hi\\\" C:\\\\x\\nnext";

    struct Case {
        std::string line;
        bool present;
    };
    const Case cases[] = {
        {"qor_driver_up 1", true},
        {"qor_scrape_duration_seconds 0.012500", true},
        {"qor_devices 2", true},
        {"qor_iso_streams{direction=\"in\"} 2", true},
        {"qor_channel_bundles{direction=\"out\"} 5", true},
        {"# TYPE qor_iso_in_packets_received_total counter", true},
        {"qor_iso_in_packets_received_total{device=\"Velmoric Studio 8\",stream=\"0\"} 123456", true},
        {"# HELP qor_iso_in_missing_packet_total An isochronous packet is missing.", true},
        {"qor_iso_in_missing_packet_total{device=\"Velmoric Studio 8\",stream=\"0\",error=\"true\"} 7", true},
        {"# TYPE qor_iso_in_min_syt_offset_ct_ticks gauge", true},
        {"qor_iso_in_min_syt_offset_ct_ticks{device=\"Velmoric Studio 8\",stream=\"0\"} -5", true},
        {"qor_asio_ref_clock_interval_seconds 0.010666", true},
        {"qor_asio_ref_clock_interval_samples 512", true},
        {"qor_channel_no_buffer_total{device=\"Velmoric Studio 8\",direction=\"out\",bundle=\"0\",channel=\"1\","
         "error=\"true\"} 3",
         true},
        {"# TYPE qor_channel_asio_clients gauge", true},
        {"qor_errors_total{counter=\"MissingPacket\",device=\"Velmoric Studio 8\",direction=\"in\",stream=\"0\"} 7",
         true},
        {"qor_errors_total{counter=\"NoBuffer\",device=\"Velmoric Studio 8\",direction=\"out\",bundle=\"0\","
         "channel=\"1\"} 3",
         true},
        {"# TYPE qor_iso_in_is_sample_clock_master gauge", false},
        {"# HELP qor_asio_current_switch_interval_samples Currently selected buffer switch interval.\\nThe value is "
         "determined by the most recent open by an ASIO instance in terms of samples.",
         true},
        {"qor_device_info{device=\"" + quoted + "\",column=\"Device 1\",id=\"0x00001BFE\",nick_name=\"Live\"} 1",
         true},
    };
    for (const Case& c : cases) EXPECT_EQ(HasLine(text, c.line), c.present) << c.line << "\n" << text;

    // Stream 1's n/a leaves no sample of that counter, where 0 would read as a real count.
    EXPECT_EQ(text.find("qor_iso_in_missing_packet_total{device=\"" + quoted + "\",stream=\"1\""), std::string::npos);
    EXPECT_NE(text.find("qor_iso_in_packets_received_total{device=\"" + quoted + "\",stream=\"1\"}"),
              std::string::npos);
}

// Every counter a page shows as a number is one sample; names are valid and every family is
// declared once, before its samples.
TEST(MetricsText, EveryNumberOfEveryPageIsOneSampleOfOneDeclaredFamily) {
    for (const bool extended : {true, false}) {
        sim::SimOptions options;
        options.extendedStatistics = extended;
        Studio studio(options);
        const std::string text = studio.Text();
        const PageTextSources pages{PageSources{studio.dev.Snapshot(), studio.dev.Validity(), extended},
                                    studio.dev.Published()};
        std::size_t numbers = 0;
        const std::vector<PageTable> tables = PageTables(pages);
        for (const ShownCounter& c : ShownCounters(tables)) numbers += c.Cell().kind == CellKind::Number;

        const std::regex sample(R"(^([a-zA-Z_:][a-zA-Z0-9_:]*)(\{[^}]*\})? -?[0-9.]+$)");
        const std::set<std::string> own{"qor_driver_up",  "qor_scrape_duration_seconds", "qor_driver_info",
                                        "qor_devices",    "qor_iso_streams",             "qor_channel_bundles",
                                        "qor_device_info", "qor_errors_total"};
        std::set<std::string> declared, seen;
        std::size_t samples = 0;
        std::string current;
        std::size_t start = 0;
        while (start < text.size()) {
            const std::size_t end = text.find('\n', start);
            const std::string line = text.substr(start, end - start);
            start = end + 1;
            if (line.starts_with("# TYPE ")) {
                current = line.substr(7, line.find(' ', 7) - 7);
                EXPECT_TRUE(declared.insert(current).second) << "declared twice: " << current;
                continue;
            }
            if (line.starts_with("#")) continue;
            std::smatch m;
            ASSERT_TRUE(std::regex_match(line, m, sample)) << line;
            EXPECT_EQ(m[1].str(), current) << "a sample outside its family: " << line;
            EXPECT_TRUE(seen.insert(line.substr(0, line.rfind(' '))).second) << "twice: " << line;
            samples += !own.contains(m[1].str());
        }
        EXPECT_EQ(samples, numbers) << "extended " << extended;
        EXPECT_EQ(declared.contains("qor_iso_in_max_packet_size_bytes"), extended);
    }
}

// Without the driver only the endpoint's own metrics remain: no counter of the last read
// stays behind as if it were still true.
TEST(MetricsText, WithoutTheDriverOnlyUpAndDurationRemain) {
    Studio studio;
    const std::string text = studio.Text(Format::Prometheus, false);
    EXPECT_TRUE(HasLine(text, "qor_driver_up 0")) << text;
    EXPECT_EQ(text.find("qor_iso_"), std::string::npos) << text;
    EXPECT_EQ(text.find("qor_driver_info"), std::string::npos) << text;
}

// OpenMetrics names a counter family without `_total`, escapes quotes in help texts and ends
// with # EOF; a scraper that asks for it gets it.
TEST(MetricsText, OpenMetricsDiffersWhereTheFormatsDiffer) {
    Studio studio;
    const std::string om = studio.Text(Format::OpenMetrics);
    EXPECT_TRUE(HasLine(om, "# TYPE qor_iso_in_missing_packet counter")) << om;
    EXPECT_TRUE(HasLine(om, "# TYPE qor_driver_up gauge"));
    EXPECT_TRUE(om.ends_with("\n# EOF\n"));
    EXPECT_EQ(MetricsText::Help("a \"b\" \\ c\nd", Format::OpenMetrics), "a \\\"b\\\" \\\\ c\\nd");
    EXPECT_EQ(MetricsText::Help("a \"b\" \\ c\nd", Format::Prometheus), "a \"b\" \\\\ c\\nd");

    struct Case {
        const char* accept;
        Format format;
    };
    const Case cases[] = {
        {"", Format::Prometheus},
        {"text/plain;version=0.0.4", Format::Prometheus},
        {"application/openmetrics-text;version=1.0.0,text/plain;version=0.0.4;q=0.5,*/*;q=0.1", Format::OpenMetrics},
    };
    for (const Case& c : cases) EXPECT_EQ(MetricsText::Negotiate(c.accept), c.format) << c.accept;
}

TEST(MetricsText, RowNamesBecomeMetricWords) {
    struct Case {
        const char* row;
        const char* word;
    };
    const Case cases[] = {
        {"TotalPacketsReceived", "total_packets_received"},
        {"NumberOfASIOInstances", "number_of_asio_instances"},
        {"1394 ISO Channel", "1394_iso_channel"},
        {"FramePtrDistExceedsL1", "frame_ptr_dist_exceeds_l1"},
        {"CurrentSFC", "current_sfc"},
        {"CT ticks", "ct_ticks"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(MetricWord(c.row), c.word) << c.row;
    EXPECT_EQ(UnitWord("\xC2\xB5s"), "seconds");
    EXPECT_EQ(UnitWord("quadlets"), "quadlets");
    EXPECT_EQ(LabelValue("a\"b\\c\nd"), "a\\\"b\\\\c\\nd");
}

// The layout kept from tick to tick writes what one made afresh writes, through hot-plug,
// renames and failed records; it is made again only when the tree or a name changed.
TEST(MetricsText, AKeptLayoutWritesWhatAFreshOneWritesAndIsRemadeOnlyForANewShape) {
    Studio studio;
    sim::DriverSimulator& s = studio.sim;
    auto fail = [&s](uint32_t code) {
        sim::FaultPlan plan;
        plan.failCode = code;
        s.SetFaults(plan);
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        bool remade;
    };
    const Step steps[] = {
        {"first tick", [] {}, true},
        {"counts move", [&s] { s.Advance(1500); }, false},
        {"an error counts", [&s] { s.SetIsoInField(0, IsoInField::MissingPacket, 9); }, false},
        {"a value turns n/a", [&s] { s.SetIsoInField(1, IsoInField::MissingPacket, ValueNotAvailable); }, false},
        {"a device is renamed", [&s] { s.SetDeviceNames(0, "Renamed", "Nick"); }, true},
        {"a device leaves", [&s] { s.SetDeviceCount(1); }, true},
        {"it comes back", [&s] { s.SetDeviceCount(2); }, true},
        {"channel names fail", [&] { fail(IOCTL_QOR_GET_CHANNEL_INFO); }, true},
        {"device names fail", [&] { fail(IOCTL_QOR_GET_DEVICE_INFO); }, true},
        {"the bundle list fails", [&] { fail(IOCTL_QOR_GET_BUNDLE_LIST); }, true},
        {"all is read again", [&s] { s.SetFaults({}); }, true},
        {"more streams and bundles", [&s] { s.SetStreamCounts(4, 3), s.SetBundleCounts(6, 4, 3); }, true},
    };
    uint64_t layouts = 0;
    for (const Step& step : steps) {
        step.change();
        for (const Format format : {Format::Prometheus, Format::OpenMetrics}) {
            const std::string kept = format == Format::Prometheus ? studio.Text(format) : studio.Written(studio.layout, format);
            MetricsLayout fresh;
            EXPECT_EQ(kept, studio.Written(fresh, format)) << step.what;
        }
        EXPECT_EQ(studio.layout.Layouts() - layouts, step.remade ? 1u : 0u) << step.what;
        layouts = studio.layout.Layouts();
    }
    // Down, the counters go; up again, the kept layout serves as before.
    EXPECT_EQ(studio.Written(studio.layout, Format::Prometheus, false).find("qor_iso_"), std::string::npos);
    MetricsLayout fresh;
    EXPECT_EQ(studio.Written(studio.layout), studio.Written(fresh));
    EXPECT_EQ(studio.layout.Layouts(), layouts);
}
