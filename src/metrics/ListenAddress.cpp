#include "metrics/ListenAddress.h"

#include <algorithm>

namespace {
std::optional<int> Port(std::string_view text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return std::nullopt;
    int port = 0;
    for (char c : text) port = port * 10 + (c - '0');
    if (port > 65535) return std::nullopt;
    return port;
}

// Letters, digits, dots, dashes and colons: an address or a host name, nothing a resolver
// would read otherwise.
bool PlainHost(std::string_view host) {
    return !host.empty() && host.size() <= 253 && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '-' ||
               c == ':';
    });
}
}  // namespace

std::optional<ListenAddress> ListenAddress::Parse(std::string_view text) {
    ListenAddress address;
    const std::size_t colon = text.rfind(':');
    std::string_view host;
    std::string_view port = text;
    if (colon != std::string_view::npos) {
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
            host = host.substr(1, host.size() - 2);
        } else if (host.find(':') != std::string_view::npos) {
            return std::nullopt;  // an IPv6 address needs its brackets
        }
        if (!PlainHost(host)) return std::nullopt;
        address.host = std::string(host);
    }
    const std::optional<int> number = Port(port);
    if (!number) return std::nullopt;
    address.port = *number;
    return address;
}

std::string ListenAddress::Text(int boundPort) const {
    const std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return h + ":" + std::to_string(boundPort);
}
