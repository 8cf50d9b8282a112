#pragma once
// The main window's layout with handlers that record what the window raised, so that the window
// can be tested apart from the shell's handlers.
#include <string>
#include <vector>

#include "app/layout.h"
#include "platform/runtime.h"

namespace tavrin::testing {

struct Recorded {
    std::vector<Control> clicks;
    // The edit box's content as the content-changed handler read it, once per event.
    std::vector<std::string> contentSeen;
    std::vector<std::string> drops;
};

// What the handlers of the last RecordingLayout recorded.
Recorded& Record();

class RecordingLayout {
  public:
    RecordingLayout();
    const WindowLayout& window() const { return window_; }

  private:
    std::vector<ControlLayout> controls_;
    WindowLayout window_;
};

}  // namespace tavrin::testing
