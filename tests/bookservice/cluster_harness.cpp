#include "tests/bookservice/cluster_harness.h"

#include "tests/bookservice/service_harness.h"

#include <cstdio>
#include <regex>
#include <sys/wait.h>

namespace bookservice_test {

namespace {

const std::string kScript = std::string(MURANO_SOURCE_DIR) + "/scripts/bookservice-cluster.sh";
const std::string kProgram = std::string(MURANO_BIN_DIR) + "/bookservice";

std::string scriptCommand(const std::string& words) {
    return "BOOKSERVICE=" + shellQuoted(kProgram) + " " + shellQuoted(kScript) + " " + words;
}

int portIn(const std::string& text, const std::string& part) {
    std::smatch match;
    return std::regex_search(text, match, std::regex(part + R"(=http://127\.0\.0\.1:(\d+))"))
               ? std::stoi(match[1].str())
               : 0;
}

} // namespace

int runCommand(const std::string& command, std::string* output) {
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) {
        return -1;
    }
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        text.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    if (output) {
        *output = text;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Cluster::Cluster() {
    if (runCommand(scriptCommand("start " + shellQuoted(dir())), &startOutput_) == 0) {
        front_ = portIn(startOutput_, "front");
        node1_ = portIn(startOutput_, "node1");
        node2_ = portIn(startOutput_, "node2");
    }
}

Cluster::~Cluster() {
    runCommand(scriptCommand("stop " + shellQuoted(dir())));
}

int Cluster::port(const std::string& part) const {
    return part == "node1" ? node1_ : part == "node2" ? node2_ : front_;
}

httplib::Client Cluster::client(const std::string& part) const {
    httplib::Client client("127.0.0.1", port(part));
    client.set_read_timeout(60);
    return client;
}

bool Cluster::control(const std::string& action, const std::string& part) {
    return runCommand(scriptCommand(action + " " + shellQuoted(dir()) + " " + part)) == 0;
}

int Cluster::addUser(const std::string& name, const std::string& email,
                     const std::string& password) {
    return runCommand("printf '%s\\n' " + shellQuoted(password) + " | " +
                      scriptCommand("add-user " + shellQuoted(dir()) + " " + shellQuoted(name) +
                                    " " + shellQuoted(email)));
}

int Cluster::bookservice(const std::string& words, std::string* output) {
    return runCommand(shellQuoted(kProgram) + " --config " + shellQuoted(config()) + " " + words,
                      output);
}

} // namespace bookservice_test
