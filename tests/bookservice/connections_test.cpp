// Connections over real HTTP: clients that send their request heads slowly or never finish them
// leave room for everyone else, a head that takes too long is cut, and one address may hold only
// so many connections.
#include "tests/bookservice/service_harness.h"

#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace bookservice_test {
namespace {

const std::string kUnfinishedHead = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
const std::string kWholeRequest = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";

// Connections that each sent part of a request head and then nothing more.
std::vector<int> holdUnfinishedHeads(const Service& service, int count,
                                     const std::string& source = "127.0.0.1") {
    std::vector<int> held;
    for (int i = 0; i < count; ++i) {
        const int connection = connectFrom(service, source);
        EXPECT_GE(connection, 0);
        EXPECT_TRUE(sendAll(connection, kUnfinishedHead));
        held.push_back(connection);
    }
    return held;
}

void closeAll(const std::vector<int>& connections) {
    for (const int connection : connections) {
        ::close(connection);
    }
}

TEST(BookServiceConnections, SlowHeadsLeaveRoomForOrdinaryRequests) {
    // Twenty clients that never finish their heads; no head deadline comes in the way.
    Service service({"--head-timeout", "3600"});
    const std::vector<int> slow = holdUnfinishedHeads(service, 20);
    for (int i = 0; i < 12; ++i) {
        httplib::Client client("127.0.0.1", service.port());
        // Well within the 30 s a worker would wait on a silent client.
        client.set_read_timeout(20);
        const auto page = client.Get("/");
        ASSERT_TRUE(page) << "request " << i;
        EXPECT_EQ(page->status, 200);
    }
    for (const int connection : slow) {
        EXPECT_FALSE(endedOrAnswered(connection)); // still open, still waiting for its head
    }
    closeAll(slow);
}

TEST(BookServiceConnections, AHeadThatTakesTooLongIsCutAfterTheDeadline) {
    Service service({"--head-timeout", "1"});
    const auto start = std::chrono::steady_clock::now();
    const int connection = connectFrom(service);
    ASSERT_GE(connection, 0);
    ASSERT_TRUE(sendAll(connection, kUnfinishedHead));
    // One byte at a time, each well within any wait for a single read, until the service answers.
    pollfd entry{connection, POLLIN, 0};
    for (int sent = 0; sent < 600 && ::poll(&entry, 1, 100) == 0; ++sent) {
        sendAll(connection, "x");
    }
    const std::string answer = readUntilEnd(connection);
    const auto lasted = std::chrono::steady_clock::now() - start;
    ::close(connection);
    EXPECT_EQ(answer.rfind("HTTP/1.1 408 ", 0), 0u) << answer;
    EXPECT_GE(lasted, std::chrono::seconds(1));
    EXPECT_TRUE(service.logShows(" 408 40 \"The request head did not arrive in time.\""));

    // A head that arrives in pieces within the deadline is answered.
    const int patient = connectFrom(service);
    ASSERT_TRUE(sendAll(patient, kWholeRequest.substr(0, 10)));
    ASSERT_TRUE(sendAll(patient, kWholeRequest.substr(10)));
    EXPECT_EQ(readUntilEnd(patient).rfind("HTTP/1.1 200 ", 0), 0u);
    ::close(patient);
}

TEST(BookServiceConnections, OneAddressHoldsOnlySoManyConnections) {
    Service service({"--peer-connections", "2", "--head-timeout", "3600"});
    const std::vector<int> held = holdUnfinishedHeads(service, 2, "127.0.0.2");
    const int third = connectFrom(service, "127.0.0.2");
    ASSERT_GE(third, 0);
    sendAll(third, kWholeRequest);
    const std::string refused = readUntilEnd(third);
    ::close(third);
    EXPECT_EQ(refused.rfind("HTTP/1.1 503 ", 0), 0u) << refused;
    EXPECT_NE(refused.find("Too many connections"), std::string::npos);
    EXPECT_TRUE(service.logShows("127.0.0.2 - - 503 "));

    // Other addresses are served meanwhile.
    const int other = connectFrom(service, "127.0.0.3");
    ASSERT_TRUE(sendAll(other, kWholeRequest));
    EXPECT_EQ(readUntilEnd(other).rfind("HTTP/1.1 200 ", 0), 0u);
    ::close(other);

    // Once one held connection ends, the address has room again.
    ::close(held[0]);
    std::string answer;
    for (int attempt = 0; attempt < 600 && answer.rfind("HTTP/1.1 200 ", 0) != 0; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const int again = connectFrom(service, "127.0.0.2");
        sendAll(again, kWholeRequest);
        answer = readUntilEnd(again);
        ::close(again);
    }
    EXPECT_EQ(answer.rfind("HTTP/1.1 200 ", 0), 0u) << answer;
    EXPECT_FALSE(endedOrAnswered(held[1]));
    ::close(held[1]);
}

} // namespace
} // namespace bookservice_test
