#include "recording_layout.h"

namespace tavrin::testing {
namespace {

template <Control C>
void RecordClick(Runtime&) {
    Record().clicks.push_back(C);
}

Handler ClickRecorder(Control control) {
    switch (control) {
        case Control::按钮_打开文件1:
            return &RecordClick<Control::按钮_打开文件1>;
        case Control::按钮_打开文件:
            return &RecordClick<Control::按钮_打开文件>;
        case Control::按钮_删除图标:
            return &RecordClick<Control::按钮_删除图标>;
        case Control::按钮_提取图标:
            return &RecordClick<Control::按钮_提取图标>;
        default:
            return &RecordClick<Control::窗口>;
    }
}

void RecordContent(Runtime& runtime) {
    Record().contentSeen.push_back(runtime.GetText(Control::编辑框1, Property::EditContent));
}

void RecordDrop(Runtime&, const std::string& droppedFiles) {
    Record().drops.push_back(droppedFiles);
}

}  // namespace

Recorded& Record() {
    static Recorded recorded;
    return recorded;
}

RecordingLayout::RecordingLayout() : window_(MainWindowLayout()) {
    Record() = {};
    controls_.assign(window_.controls.begin(), window_.controls.end());
    for (ControlLayout& entry : controls_) {
        switch (entry.event) {
            case Event::Clicked:
                entry.handler = ClickRecorder(entry.id);
                break;
            case Event::ContentChanged:
                entry.handler = &RecordContent;
                break;
            case Event::FileDropped:
                entry.textHandler = &RecordDrop;
                break;
            case Event::None:
                break;
        }
    }
    window_.onCreated = nullptr;
    window_.controls = controls_;
}

}  // namespace tavrin::testing
