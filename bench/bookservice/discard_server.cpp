// Reads each POST body through cpp-httplib's content reader, as the book service does, and drops
// it. Prints its port, then serves until killed.
#include <httplib.h>
#include <iostream>

int main() {
    httplib::Server server;
    server.Post("/.*", [](const httplib::Request&, httplib::Response& response,
                          const httplib::ContentReader& reader) {
        std::size_t received = 0;
        reader([&received](const char*, std::size_t size) {
            received += size;
            return true;
        });
        response.set_content(std::to_string(received), "text/plain");
    });
    std::cout << server.bind_to_any_port("127.0.0.1") << std::endl;
    server.listen_after_bind();
}
