#include "platform/bookservice/cluster_config.h"

#include <fstream>
#include <map>
#include <sys/stat.h>

namespace bookservice {

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t\r");
    const std::size_t end = text.find_last_not_of(" \t\r");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

bool privateFile(const std::string& path, std::string& error) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = "cannot read " + path;
        return false;
    }
    if ((status.st_mode & 077) != 0) {
        error = path + " holds credentials and must be private (chmod 600 " + path + ")";
        return false;
    }
    return true;
}

} // namespace

bool readClusterConfig(const std::string& path, ClusterConfig& config, std::string& error) {
    if (!privateFile(path, error)) {
        return false;
    }
    std::ifstream input(path);
    std::map<std::string, std::string*> fields = {
        {"database", &config.database},
        {"store_endpoint", &config.store.endpoint},
        {"store_region", &config.store.region},
        {"store_bucket", &config.store.bucket},
        {"store_access_key", &config.store.accessKey},
        {"store_secret_key", &config.store.secretKey},
        {"staging", &config.staging},
    };
    std::string connections;
    fields["database_connections"] = &connections;
    std::string line;
    for (int number = 1; std::getline(input, line); ++number) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const std::size_t equals = line.find('=');
        const auto field = equals == std::string::npos
                               ? fields.end()
                               : fields.find(trimmed(line.substr(0, equals)));
        if (field == fields.end()) {
            error = path + ":" + std::to_string(number) + ": not a known \"key = value\" line";
            return false;
        }
        *field->second = trimmed(line.substr(equals + 1));
    }
    if (!connections.empty()) {
        const long count = std::strtol(connections.c_str(), nullptr, 10);
        if (count < 1 || count > 256) {
            error = path + ": database_connections takes a count from 1 to 256";
            return false;
        }
        config.databaseConnections = static_cast<std::size_t>(count);
    }
    for (const char* required :
         {"database", "store_endpoint", "store_bucket", "store_access_key", "store_secret_key"}) {
        if (fields[required]->empty()) {
            error = path + ": " + required + " is missing";
            return false;
        }
    }
    return true;
}

} // namespace bookservice
