// Reads arbitrary bytes as an icon file and writes what was read back out: as an icon file, its
// first image as a bitmap file and as a clipboard block. Whatever the reader accepts must be
// written back with the same images, and nothing may read or write outside an image's data.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "icons/ico_file.h"
#include "platform/byte_reader.h"
#include "platform/hooks.h"

namespace {

using namespace tavrin;

// One folder for the whole run, removed at exit. The name lives on the heap and is never freed,
// so the exit handler can still use it after static objects are gone.
const std::string& WorkFolder() {
    static const std::string* folder = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavrin-fuzz-ico-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return new std::string(pattern);
    }();
    static const bool removedAtExit = [] {
        return std::atexit([] {
                   std::error_code ignored;
                   std::filesystem::remove_all(*folder, ignored);
               }) == 0;
    }();
    (void)removedAtExit;
    return *folder;
}

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "ico_roundtrip: %s\n", what);
        std::abort();
    }
}

// The image as the icon writer stores it: a DIB with biSizeImage 0, anything else unchanged.
ByteBuffer AsWritten(const IconImage& image) {
    ByteBuffer bytes(image.data.get(), image.data.get() + image.dataSize);
    if (KindOf(image) == ImageKind::Dib) StoreU32(&bytes[20], 0);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = WorkFolder();
    const std::string input = folder + "/input.ico";
    const std::string output = folder + "/output.ico";
    const std::string bitmap = folder + "/output.bmp";
    Check(WriteFileAtomically(input, {data, size}), "cannot write the input file");

    if (IconGroupPtr group = ReadIcoFile(input)) {
        Check(group->imageCount == group->images.size(), "image count disagrees with the images");
        Check(WriteIcoFile(*group, output), "a group that was read cannot be written");
        IconGroupPtr again = ReadIcoFile(output);
        Check(again && again->imageCount == group->imageCount, "the written file does not read");
        for (std::uint32_t i = 0; i < group->imageCount; ++i) {
            Check(AsWritten(again->images[i]) == AsWritten(group->images[i]),
                  "an image changed on its way through the file");
            Check(again->images[i].width == group->images[i].width &&
                      again->images[i].height == group->images[i].height &&
                      again->images[i].bitsPerPixel == group->images[i].bitsPerPixel,
                  "an image's derived fields changed");
        }
        if (group->imageCount > 0) {
            const IconImage& first = group->images[0];
            ByteBuffer before(first.data.get(), first.data.get() + first.dataSize);
            WriteBmpFile(bitmap, first);
            SetClipboardDibSink([&](std::span<const std::uint8_t> dib) {
                Check(dib.size() == first.dataSize, "the clipboard block is not the whole image");
                return true;
            });
            CopyImageToClipboard(first);
            SetClipboardDibSink(nullptr);
            Check(ByteBuffer(first.data.get(), first.data.get() + first.dataSize) == before,
                  "a writer changed the borrowed image");
        }
        FreeIconGroup(std::move(group));
    }
    ::unlink(input.c_str());
    ::unlink(output.c_str());
    ::unlink(bitmap.c_str());
    return 0;
}
