#include "platform/hooks.h"

#include <utility>

namespace tavrin {
namespace {

ClipboardDibSink& ClipboardSink() {
    static ClipboardDibSink sink;
    return sink;
}

NoticeSink& Notices() {
    static NoticeSink sink;
    return sink;
}

}  // namespace

void SetClipboardDibSink(ClipboardDibSink sink) { ClipboardSink() = std::move(sink); }

bool PutDibOnClipboard(std::span<const std::uint8_t> dib) {
    const auto& sink = ClipboardSink();
    return sink ? sink(dib) : false;
}

void SetNoticeSink(NoticeSink sink) { Notices() = std::move(sink); }

void ShowNotice(const std::string& text, const std::string& title) {
    if (const auto& sink = Notices()) sink(text, title);
}

}  // namespace tavrin
