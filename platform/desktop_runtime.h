#pragma once
// What every real run time does alike, whatever draws its window: the exit callbacks, the file
// services over the platform's file calls, and the random numbers.
#include <random>
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

  private:
    std::vector<Handler> exitCallbacks_;
    std::mt19937 random_;
};

}  // namespace tavrin
