#include "app/layout.h"

#include <array>

#include "app/handlers.h"

namespace tavrin {
namespace {

// The controls in the order of the layout. Left and top count from the client area's top-left
// corner; the two components have no window and their places only position them in the layout.
const std::array<ControlLayout, 8> kControls = {{
    {Control::按钮_打开文件1, "按钮_打开文件1", ControlKind::PushButton, "软件说明", 328, 72, 80,
     24, Event::Clicked, &OnAboutClicked, nullptr},
    {Control::选择框_兼容模式, "选择框_兼容模式", ControlKind::CheckBox, "兼容模式", 346, 22, 78,
     24, Event::None, nullptr, nullptr},
    {Control::通用对话框1, "通用对话框1", ControlKind::OpenFileDialog, "", 144, -8, 26, 26,
     Event::None, nullptr, nullptr},
    {Control::按钮_打开文件, "按钮_打开文件", ControlKind::PushButton, "选择文件", 16, 72, 80, 24,
     Event::Clicked, &OnSelectFileClicked, nullptr},
    {Control::拖放对象1, "拖放对象1", ControlKind::DropTarget, "", 112, -8, 26, 26,
     Event::FileDropped, nullptr, &OnFileDropped},
    {Control::按钮_删除图标, "按钮_删除图标", ControlKind::PushButton, "删除图标", 224, 72, 80, 24,
     Event::Clicked, &OnDeleteClicked, nullptr},
    {Control::按钮_提取图标, "按钮_提取图标", ControlKind::DefaultPushButton, "提取图标", 120, 72,
     80, 24, Event::Clicked, &OnExtractClicked, nullptr},
    {Control::编辑框1, "编辑框1", ControlKind::ReadOnlyEdit,
     "支持拖动，支持文件格式 EXE、DLL、ICL、ICO、BMP、LNK", 16, 24, 320, 20,
     Event::ContentChanged, &OnPathChanged, nullptr},
}};

const WindowLayout kMainWindow = {
    Control::窗口, "窗口", "Tavrin", 50, 50, 426, 153, &OnWindowCreated, kControls,
};

}  // namespace

const WindowLayout& MainWindowLayout() { return kMainWindow; }

const ControlLayout* FindControlLayout(Control control) {
    for (const auto& entry : kControls) {
        if (entry.id == control) return &entry;
    }
    return nullptr;
}

}  // namespace tavrin
