#pragma once
// What the handler tests share: a fake run time whose program folder is a fresh temporary
// directory, a second directory for sources, and sources built in code.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "app/handlers.h"
#include "platform/files.h"
#include "support/bmp_builder.h"
#include "support/fake_runtime.h"
#include "support/icon_builder.h"
#include "support/lnk_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin::testing {

class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override { LastExtractedPath.clear(); }
    void TearDown() override { LastExtractedPath.clear(); }

    // A module with `groups` icon groups, each of one 16 x 16 image.
    std::string WriteModule(const std::string& name, int groups) {
        PeBuilder pe;
        for (int i = 1; i <= groups; ++i) {
            pe.AddIcon(static_cast<std::uint16_t>(i), BuildDibImage({}));
        }
        for (int i = 1; i <= groups; ++i) {
            const auto id = static_cast<std::uint16_t>(i);
            pe.AddGroup(ResourceName(id), {id});
        }
        std::string path = sources.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        EXPECT_TRUE(pe.WriteTo(path));
        return path;
    }

    std::string WriteShortcut(const std::string& name, const std::string& target) {
        return sources.Write(name, ShortcutToLocalPath(target));
    }

    // A 16 x 16 24-bit bitmap; biSizeImage 0 is refused by the direct converter only.
    std::string WriteBitmap(const std::string& name, std::int32_t width = 16,
                            bool sizeImageZero = false) {
        BmpImage image;
        image.width = width;
        image.height = 16;
        image.pixels = PatternPixels(width, 16);
        if (sizeImageZero) image.sizeImage = 0;
        return sources.Write(name, BuildBmp(image));
    }

    std::string Output(int n) const { return programFolder.File(std::to_string(n) + ".ico"); }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

    std::string Content() { return runtime.GetText(Control::编辑框1, Property::EditContent); }
    std::string Caption() { return runtime.GetText(Control::窗口, Property::WindowCaption); }
    bool ExtractDisabled() {
        return runtime.GetBool(Control::按钮_提取图标, Property::ButtonDisabled);
    }

    TempDir programFolder;
    TempDir sources;
    FakeRuntime runtime{programFolder.path().string()};
};

inline std::string CaptionFor(int count) {
    return "发现图标数为：" + std::to_string(count) + "个";
}

}  // namespace tavrin::testing
