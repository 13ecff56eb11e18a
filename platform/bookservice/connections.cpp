#include "platform/bookservice/connections.h"

#include "platform/bookservice/request_log.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace bookservice {

namespace {

// Longer heads are refused; the library itself takes request lines up to 8 KiB.
constexpr std::size_t kLongestHead = 64 * 1024;
constexpr std::size_t kHeadPiece = 16 * 1024;
// A worker reads bodies in large pieces: one system call for many of the library's small reads.
constexpr std::size_t kBodyPiece = 256 * 1024;

const char* const kHeadTooSlow = "The request head did not arrive in time.";
const char* const kHeadTooLong = "The request head is too large.";
const char* const kTooManyConnections = "Too many connections from this address; try again soon.";

// The library hands each accepted connection to its task queue; the override of
// process_and_close_socket only admits it to the waiting room, which takes no time, so the queue
// runs it at once on the accepting thread.
class AtOnce : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> task) override { task(); }
    void shutdown() override {}
};

void describe(const sockaddr_storage& address, std::string& ip, int& port) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    } else {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        ::inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    }
    ip = text;
}

// Waits until `socket` is ready for `events`, at most `timeout`.
bool ready(int socket, short events, std::chrono::milliseconds timeout) {
    pollfd entry{socket, events, 0};
    int result;
    do {
        result = ::poll(&entry, 1, static_cast<int>(timeout.count()));
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

// For poll: -1 waits without end.
int millisecondsUntil(std::chrono::steady_clock::time_point when) {
    if (when == std::chrono::steady_clock::time_point::max()) {
        return -1;
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(when - std::chrono::steady_clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}

bool holdsWholeHead(const std::string& bytes) {
    return bytes.find("\r\n\r\n") != std::string::npos || bytes.find("\n\n") != std::string::npos;
}

const char* statusText(int status) {
    switch (status) {
    case 408:
        return "Request Timeout";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Service Unavailable";
    }
}

std::string plainAnswer(int status, const std::string& text) {
    return "HTTP/1.1 " + std::to_string(status) + " " + statusText(status) +
           "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
           std::to_string(text.size()) + "\r\nConnection: close\r\n\r\n" + text;
}

} // namespace

struct GuardedServer::Connection {
    socket_t socket = INVALID_SOCKET;
    std::string peer;
    int peerPort = 0;
    std::string pending; // read but not yet handled: a head on its way, or what followed a request
    Clock::time_point deadline;
    bool idle = false; // kept alive between requests, nothing of the next one here yet
    std::size_t served = 0;
};

namespace {

// One request's view of its connection: first the bytes the waiting room read, then the socket,
// each wait bounded.
class ConnectionStream : public httplib::Stream {
public:
    ConnectionStream(socket_t socket, std::string pending, const std::string& peer, int peerPort,
                     std::chrono::milliseconds timeout)
        : socket_(socket), capacity_(std::max(kBodyPiece, pending.size())),
          buffer_(new char[capacity_]), end_(pending.size()), peer_(peer), peerPort_(peerPort),
          timeout_(timeout) {
        std::memcpy(buffer_.get(), pending.data(), pending.size());
    }

    bool is_readable() const override { return offset_ < end_ || ready(socket_, POLLIN, timeout_); }
    bool is_writable() const override { return ready(socket_, POLLOUT, timeout_); }

    ssize_t read(char* data, size_t size) override {
        if (offset_ == end_) {
            const ssize_t got = fill();
            if (got <= 0) {
                return got;
            }
        }
        const std::size_t count = std::min(size, end_ - offset_);
        std::memcpy(data, buffer_.get() + offset_, count);
        offset_ += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* data, size_t size) override {
        if (!is_writable()) {
            return -1;
        }
        const ssize_t sent = ::send(socket_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            noteAnswerHead(data, static_cast<std::size_t>(sent));
        }
        return sent < 0 && (errno == EAGAIN || errno == EINTR) ? 0 : sent;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        ip = peer_;
        port = peerPort_;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        describe(address, ip, port);
    }
    socket_t socket() const override { return socket_; }

    DirectBody readBody(std::uint64_t length,
                        const std::function<bool(const char*, std::size_t)>& receive) {
        for (std::uint64_t left = length; left > 0;) {
            if (offset_ == end_ && fill() <= 0) {
                return DirectBody::Failed;
            }
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, end_ - offset_));
            if (!receive(buffer_.get() + offset_, count)) {
                return DirectBody::Stopped;
            }
            offset_ += count;
            left -= count;
        }
        return DirectBody::Complete;
    }

    std::string unread() const { return std::string(buffer_.get() + offset_, end_ - offset_); }
    // Whether the answer's head told the client that the connection ends with it.
    bool answerCloses() const {
        std::string head = answerHead_.substr(0, answerHead_.find("\r\n\r\n") + 2);
        std::transform(head.begin(), head.end(), head.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        return head.find("\r\nconnection: close\r\n") != std::string::npos;
    }

    void runAfterAnswer() {
        for (const auto& work : afterAnswer_) {
            work();
        }
        afterAnswer_.clear();
    }
    void addAfterAnswer(std::function<void()> work) { afterAnswer_.push_back(std::move(work)); }

private:
    // Waits for the next bytes, then takes what else has arrived, up to a full buffer: fewer,
    // larger pieces for the reader. The count taken, 0 at the end, -1 on failure or silence.
    ssize_t fill() {
        offset_ = 0;
        end_ = 0;
        ssize_t got;
        do {
            if (!ready(socket_, POLLIN, timeout_)) {
                return -1;
            }
            got = ::recv(socket_, buffer_.get(), capacity_, MSG_DONTWAIT);
        } while (got < 0 && (errno == EINTR || errno == EAGAIN));
        if (got <= 0) {
            return got;
        }
        end_ = static_cast<std::size_t>(got);
        while (end_ < capacity_) {
            const ssize_t more =
                ::recv(socket_, buffer_.get() + end_, capacity_ - end_, MSG_DONTWAIT);
            if (more <= 0) {
                break; // nothing more yet, or an end the next fill meets
            }
            end_ += static_cast<std::size_t>(more);
        }
        return static_cast<ssize_t>(end_);
    }

    void noteAnswerHead(const char* data, std::size_t size) {
        if (!answerHeadDone_) {
            answerHead_.append(data, size);
            answerHeadDone_ = answerHead_.find("\r\n\r\n") != std::string::npos;
        }
    }

    socket_t socket_;
    std::size_t capacity_;
    std::unique_ptr<char[]> buffer_;
    std::size_t end_;
    std::size_t offset_ = 0;
    std::string peer_;
    int peerPort_;
    std::chrono::milliseconds timeout_;
    std::string answerHead_;
    bool answerHeadDone_ = false;
    std::vector<std::function<void()>> afterAnswer_;
};

// The connection whose request this thread is handling, if any.
thread_local ConnectionStream* handling = nullptr;

} // namespace

DirectBody readBodyDirectly(std::uint64_t length,
                            const std::function<bool(const char*, std::size_t)>& receive) {
    return handling ? handling->readBody(length, receive) : DirectBody::Unavailable;
}

void afterAnswer(std::function<void()> work) {
    if (handling) {
        handling->addAfterAnswer(std::move(work));
    } else {
        work();
    }
}

GuardedServer::GuardedServer(const ConnectionLimits& limits)
    : limits_(limits), wakeEvent_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)),
      workers_(std::make_unique<httplib::ThreadPool>(2 * limits.perPeer)),
      room_(&GuardedServer::waitForHeads, this) {
    new_task_queue = [] { return new AtOnce; };
}

GuardedServer::~GuardedServer() {
    closeRoom();
    ::close(wakeEvent_);
}

bool GuardedServer::serve() {
    const bool listened = listen_after_bind();
    closeRoom();
    return listened;
}

void GuardedServer::closeRoom() {
    if (!room_.joinable()) {
        return;
    }
    stopping_ = true;
    wake();
    room_.join();
    workers_->shutdown();
}

void GuardedServer::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeEvent_, &one, sizeof one);
}

bool GuardedServer::process_and_close_socket(socket_t socket) {
    auto connection = std::make_shared<Connection>();
    connection->socket = socket;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    ::getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length);
    describe(address, connection->peer, connection->peerPort);
    connection->deadline = Clock::now() + limits_.headTimeout;
    bool admitted = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (roomClosed_) {
            ::close(socket);
            return false;
        }
        admitted = ++openPerPeer_[connection->peer] <= limits_.perPeer;
        if (admitted) {
            arrivals_.push_back(connection);
        }
    }
    if (!admitted) {
        refuse(*connection, 503, kTooManyConnections);
        return false;
    }
    wake();
    return true;
}

void GuardedServer::waitForHeads() {
    std::vector<std::shared_ptr<Connection>> waiting;
    std::vector<pollfd> watched;
    while (!stopping_) {
        std::vector<std::shared_ptr<Connection>> arrived;
        {
            std::lock_guard<std::mutex> guard(lock_);
            arrived.swap(arrivals_);
        }
        // A connection back from a worker may hold its next request whole already.
        for (const auto& connection : arrived) {
            if (holdsWholeHead(connection->pending)) {
                dispatch(connection);
            } else {
                waiting.push_back(connection);
            }
        }
        watched.assign(1, pollfd{wakeEvent_, POLLIN, 0});
        Clock::time_point soonest = Clock::time_point::max();
        for (const auto& connection : waiting) {
            watched.push_back(pollfd{connection->socket, POLLIN, 0});
            soonest = std::min(soonest, connection->deadline);
        }
        if (::poll(watched.data(), watched.size(), millisecondsUntil(soonest)) < 0 &&
            errno != EINTR) {
            break;
        }
        std::uint64_t count;
        [[maybe_unused]] const ssize_t drained = ::read(wakeEvent_, &count, sizeof count);
        const Clock::time_point now = Clock::now();
        std::vector<std::shared_ptr<Connection>> still;
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            Connection& connection = *waiting[i];
            if (watched[i + 1].revents != 0) {
                readArrived(connection, now);
            }
            if (connection.socket == INVALID_SOCKET) {
                continue;
            }
            if (holdsWholeHead(connection.pending)) {
                dispatch(waiting[i]);
            } else if (now < connection.deadline) {
                still.push_back(waiting[i]);
            } else if (connection.pending.empty()) {
                release(connection); // an idle connection ends without a word
            } else {
                refuse(connection, 408, kHeadTooSlow);
            }
        }
        waiting.swap(still);
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        roomClosed_ = true;
        waiting.insert(waiting.end(), arrivals_.begin(), arrivals_.end());
        arrivals_.clear();
    }
    for (const auto& connection : waiting) {
        release(*connection);
    }
}

void GuardedServer::readArrived(Connection& connection, Clock::time_point now) {
    char piece[kHeadPiece];
    ssize_t got;
    do {
        got = ::recv(connection.socket, piece, sizeof piece, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got == 0 || (got < 0 && errno != EAGAIN)) {
        release(connection); // the client went away
        return;
    }
    if (got < 0) {
        return;
    }
    if (connection.idle) {
        connection.idle = false;
        connection.deadline = now + limits_.headTimeout;
    }
    connection.pending.append(piece, static_cast<std::size_t>(got));
    if (!holdsWholeHead(connection.pending) && connection.pending.size() > kLongestHead) {
        refuse(connection, 431, kHeadTooLong);
    }
}

void GuardedServer::dispatch(const std::shared_ptr<Connection>& connection) {
    workers_->enqueue([this, connection] { serveRequest(connection); });
}

void GuardedServer::serveRequest(const std::shared_ptr<Connection>& connection) {
    ConnectionStream stream(connection->socket, std::move(connection->pending), connection->peer,
                            connection->peerPort, limits_.ioTimeout);
    // As the library's own connections do: the answer says the connection ends after so many
    // requests, and then it does.
    const bool last = stopping_ || ++connection->served >= keep_alive_max_count_;
    bool clientCloses = false;
    handling = &stream;
    const bool answered = process_request(stream, last, clientCloses, nullptr);
    handling = nullptr;
    stream.runAfterAnswer();
    if (!answered || last || clientCloses || stream.answerCloses()) {
        release(*connection);
        return;
    }
    connection->pending = stream.unread();
    connection->idle = connection->pending.empty();
    connection->deadline =
        Clock::now() +
        (connection->idle ? std::chrono::milliseconds(std::chrono::seconds(keep_alive_timeout_sec_))
                          : limits_.headTimeout);
    returnToRoom(connection);
}

void GuardedServer::returnToRoom(const std::shared_ptr<Connection>& connection) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!roomClosed_) {
            arrivals_.push_back(connection);
            wake();
            return;
        }
    }
    release(*connection);
}

void GuardedServer::refuse(Connection& connection, int status, const std::string& reason) {
    const std::string answer = plainAnswer(status, reason);
    ::send(connection.socket, answer.data(), answer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    writeLogLine({connection.peer, "-", "-", status, reason.size(), reason});
    release(connection);
}

void GuardedServer::release(Connection& connection) {
    if (connection.socket == INVALID_SOCKET) {
        return;
    }
    // What the client sent and nobody read is dropped first, so that closing sends the answer and
    // an end instead of a reset that could overtake it.
    char scrap[kHeadPiece];
    for (std::size_t dropped = 0; dropped < kLongestHead;) {
        const ssize_t got = ::recv(connection.socket, scrap, sizeof scrap, MSG_DONTWAIT);
        if (got <= 0) {
            break;
        }
        dropped += static_cast<std::size_t>(got);
    }
    ::shutdown(connection.socket, SHUT_WR);
    ::close(connection.socket);
    connection.socket = INVALID_SOCKET;
    std::lock_guard<std::mutex> guard(lock_);
    if (--openPerPeer_[connection.peer] == 0) {
        openPerPeer_.erase(connection.peer);
    }
}

} // namespace bookservice
