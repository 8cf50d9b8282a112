#include "platform/desktop_runtime.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/files.h"

namespace tavrin {

void DesktopRuntime::RegisterExitCallback(Handler callback) {
    if (!callback) return;
    if (std::find(exitCallbacks_.begin(), exitCallbacks_.end(), callback) == exitCallbacks_.end()) {
        exitCallbacks_.push_back(callback);
    }
}

void DesktopRuntime::RunExitCallbacks() {
    // A callback may register another; it runs as well, after the earlier ones.
    for (std::size_t i = 0; i < exitCallbacks_.size(); ++i) exitCallbacks_[i](*this);
}

void DesktopRuntime::AddDialog(Control dialog) {
    dialogs_[dialog] = DialogSettings{};
}

DesktopRuntime::DialogSettings* DesktopRuntime::Dialog(Control dialog) {
    auto found = dialogs_.find(dialog);
    return found == dialogs_.end() ? nullptr : &found->second;
}

PropertyValue DesktopRuntime::GetDialogProperty(Control control, Property property) {
    const DialogSettings* dialog = Dialog(control);
    if (!dialog) return PropertyValue{};
    switch (property) {
        case Property::DialogFileName:
            return dialog->fileName;
        case Property::DialogFilter:
            return dialog->filter;
        case Property::DialogInitialDirectory:
            return dialog->initialDirectory;
        case Property::DialogKeepDirectory:
            return dialog->keepDirectory;
        default:
            return PropertyValue{};
    }
}

void DesktopRuntime::SetDialogProperty(Control control, Property property,
                                       const PropertyValue& value) {
    DialogSettings* dialog = Dialog(control);
    if (!dialog) return;
    const auto* text = std::get_if<std::string>(&value);
    const auto* flag = std::get_if<bool>(&value);
    if (property == Property::DialogKeepDirectory) {
        if (flag) dialog->keepDirectory = *flag;
    } else if (text) {
        if (property == Property::DialogFileName) dialog->fileName = *text;
        if (property == Property::DialogFilter) dialog->filter = *text;
        if (property == Property::DialogInitialDirectory) dialog->initialDirectory = *text;
    }
}

ByteBuffer DesktopRuntime::ReadWholeFile(const std::string& path) {
    return ReadFileBytes(path);
}

void DesktopRuntime::WriteWholeFile(const std::string& path, const ByteBuffer& bytes) {
    WriteFileAtomically(path, bytes);
}

void DesktopRuntime::RemoveFile(const std::string& path) {
    DeleteFileAt(path);
}

void DesktopRuntime::SeedRandom() {
    auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    random_.seed(seed);
}

std::int32_t DesktopRuntime::RandomInRange(std::int32_t low, std::int32_t high) {
    if (low > high) std::swap(low, high);
    return std::uniform_int_distribution<std::int32_t>(low, high)(random_);
}

}  // namespace tavrin
