#include "platform/office/office_process.h"
#include "platform/office/office_uno.h"

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace office {
namespace {

using namespace detail;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// How long a starting office suite may take to answer on its pipe. Generous: a first start on a
// loaded machine builds the whole profile. Callers that need a tighter bound run a watchdog.
constexpr auto kConnectTimeout = std::chrono::seconds(90);
constexpr auto kRetryPause = std::chrono::milliseconds(10);
// How long a warm instance may take to answer, and how long a conversion that holds it may keep a
// run waiting for it. An idle instance answers in milliseconds.
constexpr auto kBorrowedAnswerLimit = std::chrono::seconds(3);
constexpr auto kBusyWait = std::chrono::milliseconds(200);

OUString pipeUrl(const std::string& pipeName) {
    return "uno:pipe,name=" + toOUString(pipeName) + ";urp;StarOffice.ComponentContext";
}

Reference<css::uno::XComponentContext> connect(const LaunchedOffice& office,
                                               const Reference<css::uno::XComponentContext>& local,
                                               std::string& error) {
    const OUString url = pipeUrl(office.pipeName);
    const auto deadline = std::chrono::steady_clock::now() + kConnectTimeout;
    try {
        const Reference<css::bridge::XUnoUrlResolver> resolver =
            css::bridge::UnoUrlResolver::create(local);
        for (;;) {
            try {
                return Reference<css::uno::XComponentContext>(resolver->resolve(url),
                                                              UNO_QUERY_THROW);
            } catch (const css::connection::NoConnectException&) {
            } catch (const css::uno::RuntimeException&) {
                // A connection dropped half-way: the office suite restarts itself once when it
                // has to complete its profile. Try again while it runs.
            }
            if (!launcherRunning(office.processGroup)) {
                haltIfEnding();
                error = "the office suite ended while starting";
                return {};
            }
            if (std::chrono::steady_clock::now() > deadline) {
                error = "the office suite does not answer";
                return {};
            }
            std::this_thread::sleep_for(kRetryPause);
        }
    } catch (...) {
        error = "cannot connect to the office suite: " + describeCurrentException();
    }
    return {};
}

// Opens the warm instance's lock file and takes the lock, waiting a short while for a conversion
// that holds it. Returns the locked descriptor, or -1.
int lockWarmInstance(const std::string& pipeName, std::string& error) {
    const int fd = ::open(warmLockPath(pipeName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = "no warm office instance on " + pipeName;
        return -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + kBusyWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() > deadline) {
            ::close(fd);
            error = "the warm office instance is busy";
            return -1;
        }
        std::this_thread::sleep_for(kRetryPause);
    }
    return fd;
}

// Connects to a borrowed instance and gets its desktop, on a thread of its own so that a hanging
// instance costs at most the answer limit: it is killed then, which ends the pending call.
bool reachBorrowed(Instance::Impl& impl, const std::string& pipeName,
                   const Reference<css::uno::XComponentContext>& local, std::string& error) {
    std::promise<void> done;
    std::future<void> reached = done.get_future();
    std::thread caller([&] {
        try {
            const Reference<css::bridge::XUnoUrlResolver> resolver =
                css::bridge::UnoUrlResolver::create(local);
            impl.context.set(resolver->resolve(pipeUrl(pipeName)), UNO_QUERY_THROW);
            impl.desktop = css::frame::Desktop::create(impl.context);
        } catch (...) {
            error = "the warm office instance does not answer: " + describeCurrentException();
        }
        done.set_value();
    });
    if (reached.wait_for(kBorrowedAnswerLimit) == std::future_status::timeout) {
        killBorrowed(impl.processGroup);
    }
    caller.join();
    if (!impl.desktop.is()) {
        impl.context.clear();
        return false;
    }
    return true;
}

} // namespace

Instance::Instance(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Instance::~Instance() {
    end();
}

std::unique_ptr<Instance> Instance::start(std::string& error) {
    const Reference<css::uno::XComponentContext> local = localContext(error);
    if (!local.is()) {
        return nullptr;
    }
    LaunchedOffice office;
    if (!launchOffice(office, error)) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->processGroup = office.processGroup;
    impl->context = connect(office, local, error);
    if (impl->context.is()) {
        try {
            impl->desktop = css::frame::Desktop::create(impl->context);
        } catch (...) {
            error = "the office suite has no desktop: " + describeCurrentException();
        }
    }
    if (!impl->desktop.is()) {
        impl->context.clear();
        endOffice(office.processGroup);
        return nullptr;
    }
    return std::unique_ptr<Instance>(new Instance(std::move(impl)));
}

std::unique_ptr<Instance> Instance::borrow(const std::string& pipeName, std::string& error) {
    if (!plausiblePipeName(pipeName)) {
        error = "not a pipe name: " + pipeName;
        return nullptr;
    }
    const Reference<css::uno::XComponentContext> local = localContext(error);
    const int lock = local.is() ? lockWarmInstance(pipeName, error) : -1;
    if (lock < 0) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->borrowed = true;
    impl->processGroup = groupServingPipe(pipeName);
    if (impl->processGroup <= 1 || impl->processGroup == ::getpgrp()) {
        ::close(lock);
        error = "no office listens on " + pipeName;
        return nullptr;
    }
    if (!registerBorrowed(impl->processGroup, pipeName, lock)) {
        error = "cannot guard the warm office instance";
        return nullptr;
    }
    if (!reachBorrowed(*impl, pipeName, local, error)) {
        killBorrowed(impl->processGroup); // broken half-way: nobody else should meet it so
        return nullptr;
    }
    return std::unique_ptr<Instance>(new Instance(std::move(impl)));
}

std::unique_ptr<Presentation> Instance::open(const std::string& path, std::string& error) {
    if (!impl_->desktop.is()) {
        error = "the office instance has ended";
        return nullptr;
    }
    // The office suite opens an empty file as a new, empty presentation of one blank slide.
    struct stat file {};
    if (::stat(path.c_str(), &file) == 0 && file.st_size == 0) {
        error = "the file is empty";
        return nullptr;
    }
    const css::beans::PropertyValue arguments[] = {
        property("Hidden", css::uno::Any(true)),
        property("ReadOnly", css::uno::Any(true)),
        property("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE)),
        property("UpdateDocMode", css::uno::Any(css::document::UpdateDocMode::NO_UPDATE)),
    };
    try {
        const Reference<css::frame::XComponentLoader> loader(impl_->desktop, UNO_QUERY_THROW);
        const Reference<css::lang::XComponent> document =
            loader->loadComponentFromURL(fileUrl(path), "_blank", 0, propertyList(arguments));
        if (!document.is()) {
            error = "the office suite cannot load the file";
            return nullptr;
        }
        const Reference<css::lang::XServiceInfo> info(document, UNO_QUERY);
        if (!info.is() ||
            !info->supportsService("com.sun.star.presentation.PresentationDocument")) {
            closeDocument(document);
            error = "the file is not a presentation";
            return nullptr;
        }
        auto impl = std::make_unique<Presentation::Impl>();
        impl->context = impl_->context;
        impl->document = document;
        return std::make_unique<Presentation>(std::move(impl));
    } catch (...) {
        error = "cannot load the file: " + describeCurrentException();
    }
    return nullptr;
}

void Instance::end() {
    haltIfEnding();
    if (impl_->processGroup < 0) {
        return;
    }
    impl_->desktop.clear();
    impl_->context.clear();
    endOffice(impl_->processGroup);
    impl_->processGroup = -1;
}

int Instance::processGroup() const {
    return impl_->processGroup;
}

bool Instance::borrowed() const {
    return impl_->borrowed;
}

bool Instance::alive() const {
    return impl_->processGroup > 1 && groupHasLiveMember(impl_->processGroup) && answers();
}

// A killed office closes its connection before its processes are gone from the process table
// (under load, for a while): a call over a connection that is closed fails at once.
bool Instance::answers() const {
    if (!impl_->desktop.is()) {
        return false;
    }
    try {
        impl_->desktop->getCurrentFrame();
        return true;
    } catch (...) {
        return false;
    }
}

void endStartedInstances(bool haltInterruptedCalls) {
    if (haltInterruptedCalls) {
        markEnding();
    }
    endAllOffices();
}

} // namespace office
