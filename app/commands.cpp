#include <filesystem>
#include <string>
#include <string_view>

#include "app/find_text.h"
#include "app/handlers.h"
#include "bitmap/converters.h"
#include "icons/extract.h"
#include "icons/source_names.h"

namespace tavrin {
namespace {

constexpr std::string_view kBadPathMessage = "文件路径不正确，请尝试更换文件再试！";
constexpr std::string_view kNoIconsMessage = "该文件内有没发现图标文件";
constexpr std::string_view kBitmapFailedMessage = "BMP转换ICO图标失败！";
constexpr std::string_view kDeletedMessage = "删除的仅是本目录的被提取的ICO文件";

// Converts a bitmap source into the first output file. A failed conversion writes nothing, so an
// earlier 1.ico stays; the file is read back to catch a write that failed.
void ConvertBitmap(Runtime& runtime, const std::string& path) {
    ByteBuffer output;
    bool converted = false;
    {
        ByteBuffer bytes = runtime.ReadWholeFile(path);
        converted = runtime.GetBool(Control::选择框_兼容模式, Property::CheckBoxChecked)
                        ? BmpToIcoCompat(bytes, output)
                        : BmpToIcoDirect(bytes, output);
    }
    if (!converted || output.empty()) {
        runtime.ShowMessage(std::string(kBitmapFailedMessage), kIconNone);
        return;
    }
    const std::string target = OutputIconPath(runtime, 1);
    runtime.WriteWholeFile(target, output);
    // The writer keeps an earlier file when a write fails, so only the very bytes just converted
    // show that this write arrived.
    if (runtime.ReadWholeFile(target) != output) {
        runtime.ShowMessage(std::string(kBitmapFailedMessage), kIconNone);
    }
}

}  // namespace

std::string OutputIconPath(Runtime& runtime, std::int32_t n) {
    constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
    return runtime.ProgramDirectory() + kSeparator + std::to_string(n) + ".ico";
}

void OnExtractClicked(Runtime& runtime) {
    const std::string path = runtime.GetText(Control::编辑框1, Property::EditContent);
    if (!FindText(path, ".")) {
        runtime.ShowMessage(std::string(kBadPathMessage), kIconError);
        return;
    }
    if (CountIcons(path) == 0) {
        runtime.ShowMessage(std::string(kNoIconsMessage), kIconError);
        return;
    }
    const std::int32_t count = CountIcons(path);
    for (std::int64_t i = 1; i <= count; ++i) {
        const auto n = static_cast<std::int32_t>(i);
        ExtractIconGroup(path, 0, OutputIconPath(runtime, n), n);
    }
    if (HasBitmapEnding(path)) ConvertBitmap(runtime, path);
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, true);
    LastExtractedPath = path;
}

void OnDeleteClicked(Runtime& runtime) {
    if (CountIcons(LastExtractedPath) == 0) return;
    const std::int32_t count = CountIcons(LastExtractedPath);
    for (std::int64_t i = 1; i <= count; ++i) {
        runtime.RemoveFile(OutputIconPath(runtime, static_cast<std::int32_t>(i)));
    }
    runtime.ShowMessage(std::string(kDeletedMessage), kIconNone);
}

}  // namespace tavrin
