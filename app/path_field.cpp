#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "app/find_text.h"
#include "app/handlers.h"
#include "icons/extract.h"
#include "platform/shell_links.h"

namespace tavrin {
namespace {

constexpr std::string_view kCaptionPrefix = "发现图标数为：";
constexpr std::string_view kCaptionSuffix = "个";
constexpr std::string_view kShortcutMarker = ".lnk";
constexpr std::string_view kDialogFilter =
    "可执行文件（*.exe)|*.exe|动态链接库（*.dll）|*.dll|图标资源库（*.icl）|*.icl|"
    "图标文件（*.ico）|*.ico|BMP图像文件(*.bmp)|*.bmp";

// Following a shortcut writes the field, and that write runs OnPathChanged again inside it. A
// chain of shortcuts, or a shortcut that leads back to itself, would recurse without end, so at
// most this many nested shortcuts are followed; the field then keeps the last shortcut's path.
constexpr int kMaxShortcutDepth = 8;
int shortcutDepth = 0;

class ShortcutDepthGuard {
  public:
    ShortcutDepthGuard() { ++shortcutDepth; }
    ~ShortcutDepthGuard() { --shortcutDepth; }
    ShortcutDepthGuard(const ShortcutDepthGuard&) = delete;
    ShortcutDepthGuard& operator=(const ShortcutDepthGuard&) = delete;
};

std::string Content(Runtime& runtime) {
    return runtime.GetText(Control::编辑框1, Property::EditContent);
}

}  // namespace

void OnPathChanged(Runtime& runtime) {
    runtime.SetControlProperty(Control::按钮_提取图标, Property::ButtonDisabled, false);

    // A path that merely contains ".lnk" (a.lnk.exe, a file in a folder tools.lnk, a list of
    // dropped files) is no shortcut and stays as it is; only a shortcut file is replaced by its
    // target, and by an empty text when it records none.
    const std::string path = Content(runtime);
    if (FindText(path, kShortcutMarker) && shortcutDepth < kMaxShortcutDepth &&
        IsShortcutFile(path)) {
        ShortcutDepthGuard guard;
        runtime.SetControlProperty(Control::编辑框1, Property::EditContent, ResolveShortcut(path));
    }

    const std::int32_t count = CountIcons(Content(runtime));
    runtime.SetControlProperty(
        Control::窗口, Property::WindowCaption,
        std::string(kCaptionPrefix) + std::to_string(count) + std::string(kCaptionSuffix));
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(Content(runtime).size(), std::numeric_limits<std::int32_t>::max()));
    runtime.SetControlProperty(Control::编辑框1, Property::EditSelectionLength, length);
}

void OnFileDropped(Runtime& runtime, const std::string& droppedFiles) {
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent, droppedFiles);
}

void OnSelectFileClicked(Runtime& runtime) {
    runtime.SetControlProperty(Control::通用对话框1, Property::DialogInitialDirectory,
                               SpecialFolderPath(3));
    runtime.SetControlProperty(Control::通用对话框1, Property::DialogKeepDirectory, true);
    runtime.SetControlProperty(Control::通用对话框1, Property::DialogFilter,
                               std::string(kDialogFilter));
    if (!runtime.OpenFileDialog(Control::通用对话框1)) return;
    runtime.SetControlProperty(Control::编辑框1, Property::EditContent,
                               runtime.GetText(Control::通用对话框1, Property::DialogFileName));
}

}  // namespace tavrin
