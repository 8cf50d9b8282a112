#pragma once
// A headless run time for handler tests: it keeps the controls' properties, records every
// property write and message, answers open-file dialogs from a script and uses the real file
// calls. Writing EditContent raises the content-changed handler inside the write, as the real
// run times do.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/runtime.h"

namespace tavrin::testing {

struct RecordedMessage {
    std::string text;
    int iconKind;
    std::string title;
    bool operator==(const RecordedMessage&) const = default;
};

struct RecordedWrite {
    Control control;
    Property property;
    PropertyValue value;
};

class FakeRuntime : public Runtime {
public:
    explicit FakeRuntime(std::string programDirectory = "/tmp");

    // Raises a control's event the way a user would; a click on a disabled button does nothing.
    void Click(Control button);
    void Drop(const std::string& droppedFiles);
    // Enter in the window: clicks the default button while it is enabled.
    void PressEnter();

    // Run-time interface.
    void RegisterExitCallback(Handler callback) override;
    bool LoadWindow(const WindowLayout& layout) override;
    int Run() override;
    void ReportFatal(const std::string& text) override;
    PropertyValue GetControlProperty(Control control, Property property) override;
    void SetControlProperty(Control control, Property property,
                            const PropertyValue& value) override;
    void ShowMessage(const std::string& text, int iconKind, std::string_view title) override;
    bool OpenFileDialog(Control dialog) override;
    std::string ProgramDirectory() override;
    ByteBuffer ReadWholeFile(const std::string& path) override;
    void WriteWholeFile(const std::string& path, const ByteBuffer& bytes) override;
    void RemoveFile(const std::string& path) override;
    void SeedRandom() override;
    std::int32_t RandomInRange(std::int32_t low, std::int32_t high) override;
    NativeHandle WindowHandle(Control window) override;
    bool SetSkinStyle(std::int32_t style) override;
    bool RegisterDropTarget(Control dropTarget, NativeHandle window) override;

    // What happened, for the tests to look at.
    std::vector<RecordedMessage> messages;
    std::vector<RecordedWrite> writes;
    std::vector<std::string> fatalErrors;
    std::vector<std::string> removedFiles;
    std::vector<std::pair<std::int32_t, std::int32_t>> randomRanges;
    int seedCount = 0;
    int dialogOpenCount = 0;
    int contentChangedCount = 0;
    std::int32_t skinStyle = 0;
    bool dropTargetRegistered = false;
    std::vector<Handler> exitCallbacks;

    // Script: dialog answers (a path to confirm, or std::nullopt to cancel; an empty script
    // cancels), random answers (an empty script gives the low end), and a layout that fails.
    std::deque<std::optional<std::string>> dialogAnswers;
    std::deque<std::int32_t> randomAnswers;
    bool failWindowLoad = false;

    std::map<std::pair<Control, Property>, PropertyValue> properties;

private:
    std::string programDirectory_;
    const WindowLayout* layout_ = nullptr;
};

}  // namespace tavrin::testing
