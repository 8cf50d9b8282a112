#pragma once
// The clipboard for the engine's CF_DIB writer: the block becomes an image on the system
// clipboard.
#include <QByteArray>
#include <cstdint>
#include <optional>
#include <span>

namespace tavrin::qt {

// A bitmap file made of a CF_DIB block (header, colour masks, colour table, pixels) by putting a
// BITMAPFILEHEADER in front of it; nothing when the header does not fit the block.
std::optional<QByteArray> DibToBitmapFile(std::span<const std::uint8_t> dib);

// Puts the block on the clipboard as an image; false without a GUI application or when the block
// gives no image.
bool PutDibOnQtClipboard(std::span<const std::uint8_t> dib);

}  // namespace tavrin::qt
