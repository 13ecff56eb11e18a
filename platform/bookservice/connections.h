// The service's HTTP connections. Between requests a connection waits in one shared waiting room
// (a poll loop), not on a worker: a worker takes it only once a whole request head has arrived,
// so clients that send their heads slowly, or not at all, leave every worker free for others. A
// head must arrive within a deadline, and one peer address may hold only so many connections.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bookservice {

struct ConnectionLimits {
    // For a whole request head, from the connection's start or, between requests on a kept-alive
    // connection, from the head's first byte.
    std::chrono::milliseconds headTimeout{std::chrono::seconds(10)};
    // For each wait for a body's next bytes or for room to send the answer.
    std::chrono::milliseconds ioTimeout{std::chrono::seconds(30)};
    // Open connections from one address; twice as many workers serve requests, so one address
    // that sends its bodies slowly can never hold them all.
    std::size_t perPeer = 64;
};

// How a body read straight from its connection ended.
enum class DirectBody { Unavailable, Complete, Stopped, Failed };

// Reads the body of the request this thread is handling straight from its connection in large
// pieces, instead of through the library's 4 KiB steps: `length` bytes sent as they are (no
// chunks, no content coding), none of them read yet. Unavailable, at once, when the request did
// not come through a GuardedServer; Stopped when `receive` said so; Failed when the client went
// away or fell silent.
DirectBody readBodyDirectly(std::uint64_t length,
                            const std::function<bool(const char*, std::size_t)>& receive);

// Runs `work` once the answer to the request this thread is handling has been sent (at once when
// the request did not come through a GuardedServer): clean-up the client need not wait for.
void afterAnswer(std::function<void()> work);

class GuardedServer : public httplib::Server {
public:
    explicit GuardedServer(const ConnectionLimits& limits);
    ~GuardedServer() override;
    GuardedServer(const GuardedServer&) = delete;
    GuardedServer& operator=(const GuardedServer&) = delete;

    // Serves after bind_to_port until stop(), then closes the waiting connections and lets the
    // requests in progress end; false when listening failed.
    bool serve();

private:
    struct Connection;
    using Clock = std::chrono::steady_clock;

    // Called by the library for each accepted connection.
    bool process_and_close_socket(socket_t socket) override;

    void waitForHeads();
    void readArrived(Connection& connection, Clock::time_point now);
    void serveRequest(const std::shared_ptr<Connection>& connection);
    void dispatch(const std::shared_ptr<Connection>& connection);
    void returnToRoom(const std::shared_ptr<Connection>& connection);
    void refuse(Connection& connection, int status, const std::string& reason);
    void release(Connection& connection);
    void closeRoom();
    void wake();

    ConnectionLimits limits_;
    std::mutex lock_;
    std::map<std::string, std::size_t> openPerPeer_;
    std::vector<std::shared_ptr<Connection>> arrivals_; // for the waiting room to take in
    bool roomClosed_ = false;
    std::atomic<bool> stopping_{false};
    int wakeEvent_ = -1;
    std::unique_ptr<httplib::ThreadPool> workers_;
    std::thread room_;
};

} // namespace bookservice
