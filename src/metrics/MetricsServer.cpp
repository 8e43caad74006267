#include "metrics/MetricsServer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string_view>
#include <thread>

#include <httplib.h>

#include "platform/SocketIo.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* IndexPage =
    "<!DOCTYPE html>\n<html><head><title>qorpoll</title></head>\n"
    "<body><h1>qorpoll</h1><p>The driver's statistics for Prometheus: <a href=\"/metrics\">/metrics</a></p></body>"
    "</html>\n";

constexpr std::string_view RequestTooLarge =
    "HTTP/1.1 400 Bad Request\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
constexpr std::string_view RequestTimeout =
    "HTTP/1.1 408 Request Timeout\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";

int MsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60000));
}

// One connection, read within a byte budget and a deadline: a request that is too large or
// too slow sees its reads fail, and the library answers 400 or closes. The library reads a
// request line a byte at a time; the bytes come from the socket a buffer at a time.
class BoundedStream : public httplib::Stream {
public:
    BoundedStream(socket_t socket, const MetricsServer::Limits& limits)
        : socket_(socket),
          bytesLeft_(limits.requestBytes),
          readDeadline_(Clock::now() + std::chrono::milliseconds(limits.requestMs)),
          writeDeadline_(readDeadline_ + std::chrono::milliseconds(limits.responseMs)) {}

    bool is_readable() const override { return at_ < filled_ || (bytesLeft_ > 0 && MsLeft(readDeadline_) > 0); }
    bool is_writable() const override { return MsLeft(writeDeadline_) > 0; }
    ssize_t read(char* ptr, size_t size) override {
        if (at_ == filled_) {
            if (bytesLeft_ == 0) return -1;
            const int ms = MsLeft(readDeadline_);
            if (ms <= 0) return -1;
            const long n = SocketIo::Receive(static_cast<std::intptr_t>(socket_), buffer_.data(),
                                             std::min(buffer_.size(), bytesLeft_), ms);
            if (n <= 0) return n;
            bytesLeft_ -= static_cast<std::size_t>(n);
            at_ = 0;
            filled_ = static_cast<std::size_t>(n);
        }
        const std::size_t n = std::min(size, filled_ - at_);
        std::memcpy(ptr, buffer_.data() + at_, n);
        at_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char* ptr, size_t size) override {
        const int ms = MsLeft(writeDeadline_);
        if (ms <= 0) return -1;
        return SocketIo::Send(static_cast<std::intptr_t>(socket_), ptr, size, ms);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        SocketIo::Address(static_cast<std::intptr_t>(socket_), true, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        SocketIo::Address(static_cast<std::intptr_t>(socket_), false, ip, port);
    }
    socket_t socket() const override { return socket_; }

    // The request ran out of bytes or of time.
    bool OverBudget() const { return bytesLeft_ == 0 || MsLeft(readDeadline_) <= 0; }
    bool OutOfTime() const { return MsLeft(readDeadline_) <= 0; }

private:
    socket_t socket_;
    std::array<char, 4096> buffer_;
    std::size_t at_ = 0;      // the next byte of the buffer to hand out
    std::size_t filled_ = 0;  // bytes in the buffer
    std::size_t bytesLeft_;
    Clock::time_point readDeadline_;
    Clock::time_point writeDeadline_;
};

class BoundedServer : public httplib::Server {
public:
    explicit BoundedServer(const MetricsServer::Limits& limits) : limits_(limits) {}

protected:
    bool process_and_close_socket(socket_t sock) override {
        BoundedStream stream(sock, limits_);
        bool closed = false;
        const bool ok = process_request(stream, true, closed, [](httplib::Request& req) {
            // Never compressed: every scrape costs the same few copies, whatever it asks.
            req.headers.erase("Accept-Encoding");
        });
        // The library leaves a request line it could not finish unanswered.
        if (!ok && stream.OverBudget()) {
            const std::string_view answer = stream.OutOfTime() ? RequestTimeout : RequestTooLarge;
            stream.write(answer.data(), answer.size());
        }
        SocketIo::ShutdownAndClose(static_cast<std::intptr_t>(sock));
        return ok;
    }

private:
    MetricsServer::Limits limits_;
};

void Plain(httplib::Response& res, int status, const char* text) {
    res.status = status;
    res.set_content(text, "text/plain; charset=utf-8");
}

}  // namespace

class MetricsServer::Impl {
public:
    Impl(LatestMetrics& latest, Limits limits) : latest_(latest), limits_(limits), server_(limits) {}

    bool Start(const ListenAddress& address, std::string& error) {
        const std::size_t workers = static_cast<std::size_t>(std::max(1, limits_.workers));
        server_.new_task_queue = [workers] { return new httplib::ThreadPool(workers); };
        server_.set_socket_options([this](socket_t s) {
            SocketIo::ListenAlone(static_cast<std::intptr_t>(s));
            listening_ = static_cast<std::intptr_t>(s);
        });
        server_.set_keep_alive_max_count(1);
        server_.set_payload_max_length(0);
        server_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            return Route(req, res);
        });
        server_.Get("/metrics", [this](const httplib::Request& req, httplib::Response& res) { Metrics(req, res); });
        server_.Get("/", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(IndexPage, "text/html; charset=utf-8");
        });
        server_.set_error_handler([](const httplib::Request&, httplib::Response& res) {
            if (res.body.empty() && res.status == 400) Plain(res, 400, "Bad request.\n");
        });
        port_ = address.port == 0 ? server_.bind_to_any_port(address.host)
                                  : (server_.bind_to_port(address.host, address.port) ? address.port : -1);
        if (port_ <= 0) {
            error = "cannot listen on " + address.Text(address.port) + " (address in use, or not one of this machine)";
            return false;
        }
        // The library listens with a backlog of 5: a few scrapers at once would wait a second
        // for the connections that did not fit.
        SocketIo::Backlog(listening_, 64);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // A stop that came before the loop runs would be lost.
        for (int i = 0; i < 5000 && !server_.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (server_.is_running()) return true;
        thread_.join();
        error = "cannot serve on " + address.Text(port_);
        return false;
    }

    void Stop() {
        if (!thread_.joinable()) return;
        server_.stop();
        thread_.join();
    }

    int Port() const { return port_; }
    uint64_t Scrapes() const { return scrapes_.load(); }

private:
    httplib::Server::HandlerResponse Route(const httplib::Request& req, httplib::Response& res) const {
        // The library adds the peer's address and port as headers of its own.
        if (req.headers.size() > limits_.headers + 4) {
            Plain(res, 431, "Too many header fields.\n");
        } else if (req.path != "/" && req.path != "/metrics") {
            Plain(res, 404, "Not found: this endpoint serves /metrics.\n");
        } else if (req.method != "GET") {
            Plain(res, 405, "Only GET is served here.\n");
            res.set_header("Allow", "GET");
        } else {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        return httplib::Server::HandlerResponse::Handled;
    }

    void Metrics(const httplib::Request& req, httplib::Response& res) {
        const MetricsText::Format format = MetricsText::Negotiate(req.get_header_value("Accept"));
        std::shared_ptr<const std::string> text = latest_.Text(format);
        ++scrapes_;
        res.set_content_provider(text->size(), std::string(MetricsText::ContentType(format)),
                                 [text](size_t offset, size_t length, httplib::DataSink& sink) {
                                     return sink.write(text->data() + offset, length);
                                 });
    }

    LatestMetrics& latest_;
    Limits limits_;
    BoundedServer server_;
    std::thread thread_;
    int port_ = -1;
    std::intptr_t listening_ = -1;
    std::atomic<uint64_t> scrapes_{0};
};

MetricsServer::MetricsServer(LatestMetrics& latest) : MetricsServer(latest, Limits{}) {}
MetricsServer::MetricsServer(LatestMetrics& latest, Limits limits) : impl_(std::make_unique<Impl>(latest, limits)) {}
MetricsServer::~MetricsServer() { Stop(); }
bool MetricsServer::Start(const ListenAddress& address, std::string& error) { return impl_->Start(address, error); }
void MetricsServer::Stop() { impl_->Stop(); }
int MetricsServer::Port() const { return impl_->Port(); }
uint64_t MetricsServer::Scrapes() const { return impl_->Scrapes(); }
