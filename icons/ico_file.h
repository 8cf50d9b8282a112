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

// The whole group as an icon file with a directory rebuilt from the images. The file appears
// only once every byte is written; false leaves an earlier file of that name as it was.
bool WriteIcoFile(const IconGroup& group, const std::string& path);
bool WriteIcoHeader(AtomicFileWriter& file, std::uint16_t count);
// Where image i starts in the written file.
std::uint32_t IcoImageOffset(const IconGroup& group, std::uint32_t i);

// The image as a bitmap file (header, colour table and XOR bitmap); false for a PNG image or one
// too short for its bitmap.
bool WriteBmpFile(const std::string& path, const IconImage& image);
// The image as a CF_DIB block with its height halved; false without a clipboard, for a PNG image
// or an empty one.
bool CopyImageToClipboard(const IconImage& image);

}  // namespace tavrin
