#pragma once
// Services that the engine needs from the window run time but must reach without including any
// GUI toolkit. The run time installs them at start-up; without them the engine reports failure.
#include <functional>
#include <span>
#include <string>

namespace tavrin {

// Puts one CF_DIB block (a BITMAPINFOHEADER, its colour table and its pixels) on the clipboard.
using ClipboardDibSink = std::function<bool(std::span<const std::uint8_t> dib)>;
void SetClipboardDibSink(ClipboardDibSink sink);
// False when no clipboard is available or it refused the block.
bool PutDibOnClipboard(std::span<const std::uint8_t> dib);

// Shows a modal notice with one OK button and no owner window.
using NoticeSink = std::function<void(const std::string& text, const std::string& title)>;
void SetNoticeSink(NoticeSink sink);
void ShowNotice(const std::string& text, const std::string& title);

}  // namespace tavrin
