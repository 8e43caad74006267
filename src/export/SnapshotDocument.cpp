#include "export/SnapshotDocument.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <initializer_list>
#include <optional>

#include "res/StringTable.h"

namespace {

constexpr int SchemaVersion = 1;

std::string Number(int64_t n) { return std::to_string(n); }

// Appends the parts in order (a chain of + on temporaries makes GCC 12 warn falsely).
void Cat(std::string& out, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) out.append(part);
}

// The first unit among a row's numbers: every value of a row has the same one.
std::string RowUnit(const std::vector<TableCell>& row) {
    for (std::size_t c = 1; c < row.size(); ++c)
        if (row[c].kind == CellKind::Number && !row[c].unit.empty()) return row[c].unit;
    return {};
}

std::string JsonValue(const TableCell& cell) {
    switch (cell.kind) {
        case CellKind::Number: return Number(cell.number);
        case CellKind::NotAvailable: return "null";
        default: return SnapshotDocument::JsonString(cell.text);
    }
}

std::optional<int64_t> SampleRate(const PageSources& s) {
    if (!s.validity.asioStatistics) return std::nullopt;
    const uint32_t rate = s.snapshot.asioStatistics.SampleRate();
    if (rate == ValueNotAvailable) return std::nullopt;
    return rate;
}

std::string PanelVersion() {
    std::string version;
    Cat(version, {std::to_string(Str::PanelVersion[0]), ".", std::to_string(Str::PanelVersion[1]), ".",
                  std::to_string(Str::PanelVersion[2])});
    return version;
}

// The value of a row of the information page, or nothing when the driver did not answer.
std::optional<std::string> InfoValue(const std::vector<PageTable>& tables, std::size_t row) {
    for (const PageTable& t : tables)
        if (t.node == NodeKind_Info && row < t.rows.size() && t.rows[row].size() > 1 &&
            t.rows[row][1].kind != CellKind::NotAvailable)
            return t.rows[row][1].text;
    return std::nullopt;
}

std::size_t Width(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

std::string SnapshotDocument::UtcTime(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    std::array<char, 32> text{};
    const std::size_t n = std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%SZ", &tm);
    return std::string(text.data(), n);
}

std::string SnapshotDocument::JsonString(std::string_view utf8) {
    std::string out = "\"";
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    std::array<char, 8> escaped{};
                    std::snprintf(escaped.data(), escaped.size(), "\\u%04X", c);
                    out += escaped.data();
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

std::string SnapshotDocument::CsvField(std::string_view utf8) {
    std::string field(utf8);
    if (!field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos)
        field.insert(field.begin(), '\'');
    if (field.find_first_of(",\"\r\n") == std::string::npos && (field.empty() || field.front() != ' '))
        return field;
    std::string quoted = "\"";
    for (char ch : field) {
        if (ch == '"') quoted += '"';
        quoted += ch;
    }
    return quoted + "\"";
}

std::string SnapshotDocument::Json(const PageTextSources& sources, std::string_view readTime,
                                   std::string_view savedTime) {
    const std::vector<PageTable> tables = PageTables(sources);
    std::string out = "{\n";
    out += "  \"format\": \"qorstats-snapshot\",\n";
    Cat(out, {"  \"version\": ", std::to_string(SchemaVersion), ",\n"});
    Cat(out, {"  \"time\": ", readTime.empty() ? std::string("null") : JsonString(readTime), ",\n"});
    Cat(out, {"  \"saved\": ", JsonString(savedTime), ",\n"});
    Cat(out, {"  \"panel\": ", JsonString(PanelVersion()), ",\n"});
    if (sources.cells.validity.driverVersion) {
        Cat(out, {"  \"driver\": {\"release\": ", JsonString(InfoValue(tables, 0).value_or("")),
                  ", \"interface\": ", JsonString(InfoValue(tables, 1).value_or("")),
                  ", \"build\": ", JsonString(InfoValue(tables, 2).value_or("")),
                  ", \"extendedStatistics\": ", sources.cells.extended ? "true" : "false", "},\n"});
    } else {
        out += "  \"driver\": null,\n";
    }
    const std::optional<int64_t> rate = SampleRate(sources.cells);
    Cat(out, {"  \"sampleRate\": ", rate ? Number(*rate) : std::string("null"), ",\n"});
    out += "  \"pages\": [";
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const PageTable& page = tables[t];
        out += t == 0 ? "\n" : ",\n";
        Cat(out, {"    {\n      \"node\": ", JsonString(page.path), ",\n      \"columns\": ["});
        for (std::size_t c = 0; c < page.headings.size(); ++c) Cat(out, {c ? ", " : "", JsonString(page.headings[c])});
        out += "],\n      \"rows\": [";
        for (std::size_t r = 0; r < page.rows.size(); ++r) {
            const std::vector<TableCell>& row = page.rows[r];
            const std::string unit = RowUnit(row);
            out += r == 0 ? "\n" : ",\n";
            Cat(out, {"        {\"name\": ", JsonString(row.empty() ? "" : row[0].text),
                      ", \"unit\": ", unit.empty() ? std::string("null") : JsonString(unit), ", \"values\": ["});
            for (std::size_t c = 1; c < row.size(); ++c) Cat(out, {c > 1 ? ", " : "", JsonValue(row[c])});
            out += "]}";
        }
        out += page.rows.empty() ? "]\n    }" : "\n      ]\n    }";
    }
    out += tables.empty() ? "]\n}\n" : "\n  ]\n}\n";
    return out;
}

std::string SnapshotDocument::Csv(const PageTextSources& sources, std::string_view readTime,
                                  std::string_view savedTime) {
    std::string out = "node,row,column,value,unit\r\n";
    auto line = [&](std::string_view node, std::string_view row, std::string_view column, std::string_view value,
                    std::string_view unit, bool number) {
        Cat(out, {CsvField(node), ",", CsvField(row), ",", CsvField(column), ",",
                  number ? std::string(value) : CsvField(value), ",", CsvField(unit), "\r\n"});
    };
    line("Snapshot", "Time", "Value", readTime.empty() ? std::string_view(Str::NotAvailable) : readTime, "", false);
    line("Snapshot", "Saved", "Value", savedTime, "", false);
    line("Snapshot", "Panel", "Value", PanelVersion(), "", false);
    const std::optional<int64_t> rate = SampleRate(sources.cells);
    line("Snapshot", "SampleRate", "Value", rate ? Number(*rate) : Str::NotAvailable, rate ? "samples/s" : "",
         rate.has_value());
    for (const PageTable& page : PageTables(sources)) {
        for (const std::vector<TableCell>& row : page.rows) {
            for (std::size_t c = 1; c < row.size(); ++c) {
                const TableCell& cell = row[c];
                const std::string_view heading = c < page.headings.size() ? page.headings[c] : std::string_view();
                if (cell.kind == CellKind::Number)
                    line(page.path, row[0].text, heading, Number(cell.number), cell.unit, true);
                else
                    line(page.path, row[0].text, heading, cell.text, "", false);
            }
        }
    }
    return out;
}

std::string SnapshotDocument::Text(const PageTextSources& sources, std::string_view readTime) {
    std::string out;
    if (!readTime.empty()) Cat(out, {Str::SnapshotReadAt, readTime, "\n"});
    for (const PageTable& page : PageTables(sources)) {
        if (!out.empty()) out += "\n";
        Cat(out, {"== ", page.path, " ==\n"});
        std::vector<std::size_t> widths(page.headings.size(), 0);
        for (std::size_t c = 0; c < page.headings.size(); ++c) widths[c] = Width(page.headings[c]);
        for (const auto& row : page.rows)
            for (std::size_t c = 0; c < row.size() && c < widths.size(); ++c)
                widths[c] = std::max(widths[c], Width(row[c].text));
        auto print = [&](auto text) {
            std::string line;
            for (std::size_t c = 0; c < widths.size(); ++c) {
                const std::string_view t = text(c);
                line += t;
                if (c + 1 < widths.size()) line.append(widths[c] - Width(t) + 2, ' ');
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out += line + "\n";
        };
        print([&](std::size_t c) { return std::string_view(page.headings[c]); });
        for (const auto& row : page.rows)
            print([&](std::size_t c) { return c < row.size() ? std::string_view(row[c].text) : std::string_view(); });
    }
    return out;
}
