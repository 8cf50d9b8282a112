#include "fake_runtime.h"

#include <algorithm>

#include "app/layout.h"
#include "platform/files.h"

namespace tavrin::testing {

FakeRuntime::FakeRuntime(std::string programDirectory)
    : programDirectory_(std::move(programDirectory)) {
    const auto* edit = FindControlLayout(Control::编辑框1);
    properties[{Control::编辑框1, Property::EditContent}] = std::string(edit->text);
    properties[{Control::编辑框1, Property::EditSelectionLength}] = std::int32_t{0};
    properties[{Control::按钮_提取图标, Property::ButtonDisabled}] = false;
    properties[{Control::选择框_兼容模式, Property::CheckBoxChecked}] = false;
    properties[{Control::窗口, Property::WindowCaption}] =
        std::string(MainWindowLayout().caption);
    properties[{Control::通用对话框1, Property::DialogFileName}] = std::string();
    properties[{Control::通用对话框1, Property::DialogFilter}] = std::string();
    properties[{Control::通用对话框1, Property::DialogInitialDirectory}] = std::string();
    properties[{Control::通用对话框1, Property::DialogKeepDirectory}] = false;
}

void FakeRuntime::Click(Control button) {
    if (button == Control::按钮_提取图标 && GetBool(button, Property::ButtonDisabled)) return;
    const auto* entry = FindControlLayout(button);
    if (entry && entry->event == Event::Clicked && entry->handler) entry->handler(*this);
}

void FakeRuntime::Drop(const std::string& droppedFiles) {
    const auto* entry = FindControlLayout(Control::拖放对象1);
    if (entry && entry->textHandler) entry->textHandler(*this, droppedFiles);
}

void FakeRuntime::PressEnter() { Click(Control::按钮_提取图标); }

void FakeRuntime::RegisterExitCallback(Handler callback) {
    if (std::find(exitCallbacks.begin(), exitCallbacks.end(), callback) == exitCallbacks.end()) {
        exitCallbacks.push_back(callback);
    }
}

bool FakeRuntime::LoadWindow(const WindowLayout& layout) {
    if (failWindowLoad) return false;
    layout_ = &layout;
    if (layout.onCreated) layout.onCreated(*this);
    return true;
}

int FakeRuntime::Run() {
    for (Handler callback : exitCallbacks) callback(*this);
    return 0;
}

void FakeRuntime::ReportFatal(const std::string& text) { fatalErrors.push_back(text); }

PropertyValue FakeRuntime::GetControlProperty(Control control, Property property) {
    auto found = properties.find({control, property});
    return found == properties.end() ? PropertyValue{} : found->second;
}

void FakeRuntime::SetControlProperty(Control control, Property property,
                                     const PropertyValue& value) {
    properties[{control, property}] = value;
    writes.push_back({control, property, value});
    if (control == Control::编辑框1 && property == Property::EditContent) {
        ++contentChangedCount;
        const auto* entry = FindControlLayout(Control::编辑框1);
        if (entry && entry->handler) entry->handler(*this);
    }
}

void FakeRuntime::ShowMessage(const std::string& text, int iconKind, std::string_view title) {
    messages.push_back({text, iconKind, std::string(title)});
}

bool FakeRuntime::OpenFileDialog(Control dialog) {
    ++dialogOpenCount;
    if (dialogAnswers.empty()) return false;
    auto answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    if (!answer) return false;
    properties[{dialog, Property::DialogFileName}] = *answer;
    return true;
}

std::string FakeRuntime::ProgramDirectory() { return programDirectory_; }

ByteBuffer FakeRuntime::ReadWholeFile(const std::string& path) { return ReadFileBytes(path); }

void FakeRuntime::WriteWholeFile(const std::string& path, const ByteBuffer& bytes) {
    WriteFileAtomically(path, bytes);
}

void FakeRuntime::RemoveFile(const std::string& path) {
    removedFiles.push_back(path);
    DeleteFileAt(path);
}

void FakeRuntime::SeedRandom() { ++seedCount; }

std::int32_t FakeRuntime::RandomInRange(std::int32_t low, std::int32_t high) {
    randomRanges.emplace_back(low, high);
    if (randomAnswers.empty()) return low;
    std::int32_t answer = randomAnswers.front();
    randomAnswers.pop_front();
    return answer;
}

NativeHandle FakeRuntime::WindowHandle(Control) { return 1; }

bool FakeRuntime::SetSkinStyle(std::int32_t style) {
    skinStyle = (style >= 1 && style <= 3) ? style : 0;
    return true;
}

bool FakeRuntime::RegisterDropTarget(Control, NativeHandle) {
    if (dropTargetRegistered) return false;
    dropTargetRegistered = true;
    return true;
}

}  // namespace tavrin::testing
