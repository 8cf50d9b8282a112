#pragma once
// Icon files: reading one into an icon group, and writing a group back as an icon file, its first
// image as a bitmap file, or that image on the clipboard.
#include <cstdint>
#include <string>

#include "icons/icon_group.h"
#include "platform/files.h"

namespace tavrin {

// The group an icon file holds, owned by the caller; null on any failure, with nothing left
// allocated.
IconGroupPtr ReadIcoFile(const std::string& path);
// idCount of the 6-byte header at the start of the file, or -1 when the header is refused.
std::int32_t ReadIcoHeader(const ReadOnlyFile& file);

// The whole group as an icon file with a directory rebuilt from the images, every DIB's
// biSizeImage written as 0 and every other image byte for byte. The file appears only once every
// byte is written; false leaves an earlier file of that name as it was. The group is not touched.
// False also for a group the format cannot hold (over 65,535 images, or past 4 GiB).
bool WriteIcoFile(const IconGroup& group, const std::string& path);
bool WriteIcoHeader(AtomicFileWriter& file, std::uint16_t count);
// Where image i starts in the written file.
std::uint32_t IcoImageOffset(const IconGroup& group, std::uint32_t i);

// The image as a bitmap file (header with biHeight halved, colour table and XOR bitmap); false,
// with nothing written, for a PNG image, a header shorter than 40 bytes, a negative height, or
// data too short for that bitmap.
bool WriteBmpFile(const std::string& path, const IconImage& image);
// The image's whole data as a CF_DIB block with biHeight halved in the block; false without a
// clipboard, or for an image WriteBmpFile would refuse.
bool CopyImageToClipboard(const IconImage& image);

}  // namespace tavrin
