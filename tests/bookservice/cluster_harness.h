// A whole book service cluster started for one test by scripts/bookservice-cluster.sh in a scratch
// folder (PostgreSQL, the Swift object store with its S3 layer, two nodes, haproxy), and stopped
// with everything it started when the test ends.
#pragma once

#include "tests/support/process.h"

#include <httplib.h>
#include <memory>
#include <string>

namespace bookservice_test {

class Cluster {
public:
    Cluster();
    ~Cluster();
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    bool started() const { return front_ > 0; }
    const std::string& dir() const { return scratch_.path(); }
    std::string config() const { return scratch_.file("bookservice.conf"); }
    std::string startLog() const { return startOutput_; }
    // "front", "node1" or "node2".
    httplib::Client client(const std::string& part) const;
    int port(const std::string& part) const;

    // Runs the cluster script's `action` (stop-part, kill-part, start-part) on `part`; whether it
    // succeeded.
    bool control(const std::string& action, const std::string& part);
    int addUser(const std::string& name, const std::string& email, const std::string& password);
    // Runs bookservice with the cluster's configuration and `words`; its exit status, and its
    // output in `output`.
    int bookservice(const std::string& words, std::string* output = nullptr);

private:
    TemporaryFolder scratch_;
    std::string startOutput_;
    int front_ = 0;
    int node1_ = 0;
    int node2_ = 0;
};

// Runs a shell command; its exit status, and standard output and error in `output`.
int runCommand(const std::string& command, std::string* output = nullptr);

} // namespace bookservice_test
