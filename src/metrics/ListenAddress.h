#pragma once

#include <optional>
#include <string>
#include <string_view>

// Where the metrics endpoint listens: "ADDR:PORT", "[IPv6]:PORT", or a port alone, which
// listens on the loopback address only.
struct ListenAddress {
    static constexpr const char* DefaultHost = "127.0.0.1";

    std::string host = DefaultHost;  // without brackets
    int port = 0;                    // 0: any free port

    static std::optional<ListenAddress> Parse(std::string_view text);
    // "127.0.0.1:9469", "[::1]:9469"
    std::string Text(int boundPort) const;
};
