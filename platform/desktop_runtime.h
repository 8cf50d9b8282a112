#pragma once
// What every real run time does alike, whatever draws its window: the exit callbacks, the file
// services over the platform's file calls, and the random numbers.
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/runtime.h"

namespace tavrin {

class DesktopRuntime : public Runtime {
  public:
    void RegisterExitCallback(Handler callback) override;
    ByteBuffer ReadWholeFile(const std::string& path) override;
    void WriteWholeFile(const std::string& path, const ByteBuffer& bytes) override;
    void RemoveFile(const std::string& path) override;
    void SeedRandom() override;
    std::int32_t RandomInRange(std::int32_t low, std::int32_t high) override;

  protected:
    // Calls the exit callbacks in the order of their registration, once the loop has ended.
    void RunExitCallbacks();

    // What an open-file dialog component keeps between uses.
    struct DialogSettings {
        std::string fileName;
        std::string filter;
        std::string initialDirectory;
        bool keepDirectory = false;
    };
    void AddDialog(Control dialog);
    // Null for a control that is no dialog component.
    DialogSettings* Dialog(Control dialog);
    // The Dialog* properties of a dialog component; an empty value for any other control.
    PropertyValue GetDialogProperty(Control dialog, Property property);
    void SetDialogProperty(Control dialog, Property property, const PropertyValue& value);

  private:
    std::vector<Handler> exitCallbacks_;
    std::map<Control, DialogSettings> dialogs_;
    std::mt19937 random_;
};

}  // namespace tavrin
