// Slides rendered by a private office instance through the office layer.
#include "platform/korrind/conversion.h"

#include "platform/office/murano_office.h"

#include <cstdio>
#include <unistd.h>

namespace korrind {

namespace {

bool readWholeFile(const std::string& path, Bytes& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    bytes.clear();
    std::uint8_t buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

class OfficeRenderer : public SlideRenderer {
public:
    explicit OfficeRenderer(std::string scratchFolder) : scratch_(std::move(scratchFolder)) {}
    ~OfficeRenderer() override { close(); }
    OfficeRenderer(const OfficeRenderer&) = delete;
    OfficeRenderer& operator=(const OfficeRenderer&) = delete;

    bool open(const std::string& input, int& slideCount, std::string& error) override {
        instance_ = office::Instance::start(error);
        if (!instance_) {
            return false;
        }
        deck_ = instance_->open(input, error);
        if (!deck_) {
            return false;
        }
        slideCount = deck_->slideCount();
        return true;
    }

    bool render(int index, int width, int height, bool masterArtwork, Bytes& jpeg,
                std::string& error) override {
        if (!deck_) {
            error = "the presentation is not open";
            return false;
        }
        const std::string path = scratch_ + "/slide.jpg";
        const bool exported = deck_->exportSlide(index, path, office::SlideFormat::Jpeg, width,
                                                 height, masterArtwork, error);
        const bool read = exported && readWholeFile(path, jpeg);
        ::unlink(path.c_str());
        if (exported && !read) {
            error = "the rendered image cannot be read";
        }
        return read;
    }

    // The document goes before the instance; the instance is ended here, not by the caller's own
    // clean-up, which only knows the instances its own copy of the office layer started.
    void close() override {
        deck_.reset();
        instance_.reset();
        office::endStartedInstances();
    }

private:
    std::string scratch_;
    std::unique_ptr<office::Instance> instance_;
    std::unique_ptr<office::Presentation> deck_;
};

} // namespace

std::unique_ptr<SlideRenderer> makeOfficeRenderer(const std::string& scratchFolder) {
    return std::make_unique<OfficeRenderer>(scratchFolder);
}

} // namespace korrind
