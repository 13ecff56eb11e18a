#include "platform/office/office_uno.h"

#include "platform/office/office_process.h"

#include <com/sun/star/drawing/XDrawPagesSupplier.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/exc_hlp.hxx>
#include <rtl/textenc.h>

#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace office::detail {

css::uno::Reference<css::uno::XComponentContext> localContext(std::string& error) {
    // Kept alive deliberately until the process ends: tearing the UNO runtime down while the
    // process exits gains nothing and risks running into half-destroyed libraries.
    static std::mutex mutex;
    static css::uno::Reference<css::uno::XComponentContext>* context = nullptr;
    std::lock_guard<std::mutex> lock(mutex);
    if (!context) {
        ::setenv("URE_BOOTSTRAP",
                 "vnd.sun.star.pathname:" MURANO_OFFICE_PROGRAM_DIR "/fundamentalrc", 0);
        ::setenv("UNO_PATH", MURANO_OFFICE_PROGRAM_DIR, 0);
        try {
            context = new css::uno::Reference<css::uno::XComponentContext>(
                cppu::defaultBootstrap_InitialComponentContext());
        } catch (...) {
            error = "cannot start the UNO runtime: " + describeCurrentException();
            return {};
        }
    }
    return *context;
}

OUString toOUString(const std::string& utf8) {
    return OUString(utf8.data(), static_cast<sal_Int32>(utf8.size()), RTL_TEXTENCODING_UTF8);
}

std::string toUtf8(const OUString& text) {
    const OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
    return std::string(bytes.getStr(), static_cast<std::size_t>(bytes.getLength()));
}

OUString fileUrl(const std::string& path) {
    if (!path.empty() && path[0] == '/') {
        return toOUString(fileUrlOf(path));
    }
    std::string folder(4096, '\0');
    if (!::getcwd(folder.data(), folder.size())) {
        return toOUString(fileUrlOf("/" + path));
    }
    folder.resize(folder.find('\0'));
    return toOUString(fileUrlOf(folder + "/" + path));
}

css::beans::PropertyValue property(const char* name, const css::uno::Any& value) {
    css::beans::PropertyValue result;
    result.Name = OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

css::uno::Reference<css::container::XIndexAccess>
drawPagesOf(const css::uno::Reference<css::lang::XComponent>& document) {
    const css::uno::Reference<css::drawing::XDrawPagesSupplier> supplier(document,
                                                                         css::uno::UNO_QUERY_THROW);
    return css::uno::Reference<css::container::XIndexAccess>(supplier->getDrawPages(),
                                                             css::uno::UNO_QUERY_THROW);
}

void closeDocument(const css::uno::Reference<css::lang::XComponent>& document) {
    try {
        const css::uno::Reference<css::util::XCloseable> closeable(document, css::uno::UNO_QUERY);
        if (closeable.is()) {
            closeable->close(true);
        } else if (document.is()) {
            document->dispose();
        }
    } catch (...) {
        haltIfEnding();
        // A document that refuses to close goes with its instance.
    }
}

std::string describeCurrentException() {
    haltIfEnding();
    try {
        throw;
    } catch (const css::uno::Exception& e) {
        const std::string type = toUtf8(cppu::getCaughtException().getValueTypeName());
        const std::string message = toUtf8(e.Message);
        return message.empty() ? type : type + ": " + message;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown failure";
    }
}

} // namespace office::detail
