#pragma once
// Loads a Windows bitmap file from memory and answers its width, its height and the colour of one
// pixel. It takes the 40-byte info header and the 12-byte core header, uncompressed pixel data of
// 1, 4, 8, 16, 24 and 32 bits per pixel, and colour tables. Failures are raised inside as
// CDIBException and leave each operation as its result plus a text in errorText.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/bytes.h"

namespace tavrin {

// Texts of errorText.
inline constexpr std::string_view kBitmapUnsupportedText = "不被支持的位图数据或无法识别的文件格式";
inline constexpr std::string_view kBitmapNotLoadedText = "位图尚未创建，没有可用数据";
inline constexpr std::string_view kBitmapOutOfRangeText = "像素点坐标越界";

// Size of the errorText buffer, its terminating zero included.
inline constexpr std::size_t kBitmapErrorTextSize = 255;

class CDIBException : public std::exception {
  public:
    // Keeps at most kMaxMessage bytes of the message.
    static constexpr std::size_t kMaxMessage = 254;
    explicit CDIBException(std::string_view message);
    const char* what() const noexcept override { return message_.c_str(); }

  private:
    std::string message_;
};

// The loaded bitmap: one block holding a 40-byte info header (the file's own, or one built from a
// core header), the colour table as 4-byte entries, and every byte behind the file's pixel offset.
// The block is empty while nothing is loaded.
struct DibBitmap {
    ByteBuffer dib;
};

// The handle the caller owns. Both members stay null until CreateBitmapReader.
struct BitmapReader {
    std::unique_ptr<DibBitmap> bitmap;
    std::unique_ptr<char[]> errorText;  // kBitmapErrorTextSize bytes, zero-terminated
};

void CreateBitmapReader(BitmapReader& reader);
// True when the bytes hold a bitmap the reader supports. A non-empty buffer first drops the bitmap
// loaded before; an empty one fails and changes nothing. The seven bytes "version" show the
// revision notes before the load fails.
bool LoadBitmapBytes(BitmapReader& reader, std::span<const std::uint8_t> bytes);
// biWidth and biHeight as stored, negative values included; -1 when nothing is loaded.
std::int32_t BitmapWidth(BitmapReader& reader);
std::int32_t BitmapHeight(BitmapReader& reader);
// The colour value (red in bits 0-7, green 8-15, blue 16-23) of the pixel at column x and row y,
// y = 0 being the top row; 0 on failure. A pixel whose row lies beyond the stored bytes, or whose
// colour index lies beyond the stored table, fails as outside the bitmap.
std::int32_t BitmapPixel(BitmapReader& reader, std::int32_t x, std::int32_t y);
// Releases the bitmap and the error text. The handle may then be dropped.
void DestroyBitmapReader(BitmapReader& reader);

// The revision notes shown for the bytes "version", and their title.
extern const char* const kBitmapRevisionNotes;
inline constexpr std::string_view kBitmapRevisionTitle = "更新历史!";

}  // namespace tavrin
