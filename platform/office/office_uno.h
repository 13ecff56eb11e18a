// UNO helpers shared by the office layer's sources: the local component context, text and URL
// conversions, property lists, and the state behind the public classes.
#pragma once

#include "platform/office/murano_office.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/drawing/XGraphicExportFilter.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <cstddef>
#include <string>

namespace office::detail {

namespace css = com::sun::star;
using rtl::OString;
using rtl::OUString;

// The process's own UNO context (type library and bridge services), created on first use and
// kept for the life of the process. Empty, with `error` filled, when the runtime cannot start.
css::uno::Reference<css::uno::XComponentContext> localContext(std::string& error);

OUString toOUString(const std::string& utf8);
std::string toUtf8(const OUString& text);

// The file URL of a path; relative paths are taken from the current folder.
OUString fileUrl(const std::string& path);

css::beans::PropertyValue property(const char* name, const css::uno::Any& value);

template <std::size_t N>
css::uno::Sequence<css::beans::PropertyValue>
propertyList(const css::beans::PropertyValue (&values)[N]) {
    return css::uno::Sequence<css::beans::PropertyValue>(values, static_cast<sal_Int32>(N));
}

// The slides of a presentation; throws when the document has none.
css::uno::Reference<css::container::XIndexAccess>
drawPagesOf(const css::uno::Reference<css::lang::XComponent>& document);

// Closes a document, or disposes of it when it cannot be closed; never throws.
void closeDocument(const css::uno::Reference<css::lang::XComponent>& document);

// The message of whatever a UNO call threw, for the caller's error text.
std::string describeCurrentException();

} // namespace office::detail

namespace office {

struct Instance::Impl {
    int processGroup = -1;
    bool borrowed = false;
    detail::css::uno::Reference<detail::css::uno::XComponentContext> context; // the office's
    detail::css::uno::Reference<detail::css::frame::XDesktop2> desktop;
};

struct Presentation::Impl {
    detail::css::uno::Reference<detail::css::uno::XComponentContext> context;
    detail::css::uno::Reference<detail::css::lang::XComponent> document;
    // The graphic export filter, made once and reused for every slide.
    detail::css::uno::Reference<detail::css::drawing::XGraphicExportFilter> graphicFilter;
};

} // namespace office
