#include "icons/extract.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "icons/ico_file.h"
#include "icons/module_reader.h"
#include "platform/files.h"
#include "platform/hooks.h"
#include "support/icon_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::BuildDibImage;
using testing::BuildGroupDirectory;
using testing::BuildIcoFile;
using testing::BuildPngImage;
using testing::DibSpec;
using testing::IcoSpec;
using testing::ModuleFault;
using testing::PeBuilder;
using testing::PeFormat;
using testing::ResourceFault;
using testing::TempDir;

ByteBuffer Dib(std::int32_t size, std::uint8_t fill) {
    DibSpec shape;
    shape.width = size;
    shape.height = size;
    shape.bitCount = 32;
    shape.fill = fill;
    return BuildDibImage(shape);
}

// Groups "MAIN" (icon 1), 1 (icons 2 and 3) and 5 (icon 4), numbered 1, 2 and 3.
PeBuilder ThreeGroups(PeFormat format = PeFormat::Pe32) {
    PeBuilder builder(format);
    builder.AddIcon(1, Dib(16, 1)).AddIcon(2, Dib(32, 2)).AddIcon(3, Dib(16, 3));
    builder.AddIcon(4, BuildPngImage({.width = 256, .height = 256}));
    builder.AddGroup(std::uint16_t{1}, {2, 3});
    builder.AddGroup(std::uint16_t{5}, {4});
    builder.AddGroup(std::string("MAIN"), {1});
    return builder;
}

// The images of an icon file, or nothing when it cannot be read.
std::optional<std::vector<ByteBuffer>> IcoImages(const std::string& path) {
    auto group = ReadIcoFile(path);
    if (!group) return std::nullopt;
    std::vector<ByteBuffer> images;
    for (const IconImage& image : group->images)
        images.emplace_back(image.bytes().begin(), image.bytes().end());
    return images;
}

std::size_t OpenDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

std::size_t EntriesIn(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

// Records what reaches the clipboard, and takes the sink away again.
class ClipboardRecorder {
  public:
    ClipboardRecorder() {
        SetClipboardDibSink([this](std::span<const std::uint8_t> dib) {
            blocks.emplace_back(dib.begin(), dib.end());
            return true;
        });
    }
    ~ClipboardRecorder() { SetClipboardDibSink(nullptr); }
    std::vector<ByteBuffer> blocks;
};

class ExtractIconGroupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        modulePath = dir.Write("tool.exe", ThreeGroups().Build());
        outputs = dir.path() / "out";
        std::filesystem::create_directory(outputs);
        descriptors = OpenDescriptors();
    }
    // Nothing is left behind by any call: no open file, no copied name.
    void TearDown() override {
        EXPECT_EQ(OpenDescriptors(), descriptors);
        EXPECT_FALSE(WantedGroupName && std::holds_alternative<std::string>(*WantedGroupName));
    }
    std::string Out(const std::string& name) const { return (outputs / name).string(); }

    TempDir dir;
    std::string modulePath;
    std::filesystem::path outputs;
    std::size_t descriptors = 0;
};

TEST_F(ExtractIconGroupTest, WritesEachGroupOfAModuleByItsNumber) {
    for (PeFormat format : {PeFormat::Pe32, PeFormat::Pe32Plus}) {
        SCOPED_TRACE(format == PeFormat::Pe32 ? "PE32" : "PE32+");
        std::string path = dir.Write("lib.dll", ThreeGroups(format).Build());
        const std::vector<std::vector<ByteBuffer>> expected = {
            {Dib(16, 1)},
            {Dib(32, 2), Dib(16, 3)},
            {BuildPngImage({.width = 256, .height = 256})},
        };
        for (std::int32_t i = 1; i <= 3; ++i) {
            SCOPED_TRACE(i);
            std::string target = Out(std::to_string(i) + ".ico");
            EXPECT_EQ(ExtractIconGroup(path, 0, target, i), 3);
            EXPECT_EQ(IcoImages(target), expected[i - 1]);
        }
        EXPECT_EQ(ExtractIconGroup(path, 0, Out("4.ico"), 4), 0);
        EXPECT_FALSE(std::filesystem::exists(Out("4.ico")));
        std::filesystem::remove_all(outputs);
        std::filesystem::create_directory(outputs);
    }
}

TEST_F(ExtractIconGroupTest, AppliesTheDefaultsOfItsArguments) {
    struct Case {
        const char* what;
        std::optional<std::int32_t> index;
        std::optional<std::int32_t> mode;
        std::optional<std::string> target;
        std::int32_t result;
        std::optional<std::vector<ByteBuffer>> written;  // the .ico target's images
        std::size_t clipboardBlocks;
    };
    const std::vector<ByteBuffer> first = {Dib(16, 1)};
    const std::vector<Case> cases = {
        {"index 0 is group 1", 0, 0, "a.ico", 3, first, 0},
        {"index -5 is group 1", -5, 0, "a.ico", 3, first, 0},
        {"no index is group 1", std::nullopt, 0, "a.ico", 3, first, 0},
        {"mode 2 is the clipboard", 1, 2, "a.ico", 3, std::nullopt, 1},
        {"mode -1 is the clipboard", 1, -1, "a.ico", 3, std::nullopt, 1},
        {"no mode is the clipboard", 1, std::nullopt, "a.ico", 3, std::nullopt, 1},
        {"the clipboard ignores a missing target", 2, 1, std::nullopt, 3, std::nullopt, 1},
        {"an empty target opens nothing", 1, 0, "", 0, std::nullopt, 0},
        {"no target is an empty one", 1, 0, std::nullopt, 0, std::nullopt, 0},
        {"a .png target writes nothing", 1, 0, "a.png", 3, std::nullopt, 0},
        {"the target's ending in any case", 1, 0, "a.ICO", 3, first, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClipboardRecorder clipboard;
        std::optional<std::string> target = c.target;
        if (target && !target->empty()) target = Out(*target);
        EXPECT_EQ(ExtractIconGroup(modulePath, c.mode, target, c.index), c.result);
        std::string written = target && !target->empty() ? *target : Out("a.ico");
        EXPECT_EQ(IcoImages(written), c.written);
        EXPECT_EQ(EntriesIn(outputs), c.written ? 1u : 0u);
        EXPECT_EQ(clipboard.blocks.size(), c.clipboardBlocks);
        std::filesystem::remove_all(outputs);
        std::filesystem::create_directory(outputs);
    }
}

TEST_F(ExtractIconGroupTest, PutsTheGroupsFirstImageOnTheClipboardWithItsHeightHalved) {
    ClipboardRecorder clipboard;
    EXPECT_EQ(ExtractIconGroup(modulePath, 1, {}, 2), 3);
    ASSERT_EQ(clipboard.blocks.size(), 1u);
    ByteBuffer expected = Dib(32, 2);
    expected[8] = 32;  // biHeight 64 becomes 32
    EXPECT_EQ(clipboard.blocks[0], expected);
}

TEST_F(ExtractIconGroupTest, WritesTheFirstImageAsABitmapFile) {
    EXPECT_EQ(ExtractIconGroup(modulePath, 0, Out("a.BMP"), 2), 3);
    ByteBuffer bitmap = ReadFileBytes(Out("a.BMP"));
    ASSERT_GE(bitmap.size(), 14u + 40u + 32u * 32u * 4u);
    EXPECT_EQ(bitmap[0], 'B');
    EXPECT_EQ(bitmap[1], 'M');
    EXPECT_EQ(bitmap[14 + 4], 32);  // biWidth of the 32 × 32 image, group 2's first
}

TEST_F(ExtractIconGroupTest, TellsSourcesByTheirLastThreeBytes) {
    ByteBuffer module = ThreeGroups().Build();
    ByteBuffer icon = BuildIcoFile({.images = {Dib(16, 9)}});
    struct Case {
        const char* name;
        const ByteBuffer* bytes;
        std::int32_t result;
        bool writes;
    };
    const Case cases[] = {
        {"tool.ICL", &module, 3, true},
        {"toolxexe", &module, 3, true},
        {"tool.Dll", &module, 3, true},
        {"tool.exe ", &module, 0, false},
        {"tool.bin", &module, 0, false},
        {"icon.Ico", &icon, 1, true},
        {"iconxico", &icon, 1, true},
        {"icon.exe", &icon, 0, false},
        {"a.bmp", &icon, 0, false},
        {"tool.ico", &module, 1, false},  // a damaged icon file is still one group
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string source = dir.Write(c.name, *c.bytes);
        EXPECT_EQ(ExtractIconGroup(source, 0, Out("x.ico"), 1), c.result);
        EXPECT_EQ(std::filesystem::exists(Out("x.ico")), c.writes);
        std::filesystem::remove(Out("x.ico"));
    }
    EXPECT_EQ(ExtractIconGroup("xe", 0, Out("x.ico"), 1), 0);  // shorter than three bytes
}

TEST_F(ExtractIconGroupTest, IconFileIsOneGroupReadBeforeTheIndexIsTested) {
    std::string icon = dir.Write("a.ico", BuildIcoFile({.images = {Dib(16, 9), Dib(32, 8)}}));
    std::string damaged =
        dir.Write("b.ico", BuildIcoFile({.images = {Dib(16, 9)}, .truncateTo = 30}));
    EXPECT_EQ(ExtractIconGroup(icon, 0, Out("1.ico"), 1), 1);
    EXPECT_EQ(IcoImages(Out("1.ico")), (std::vector<ByteBuffer>{Dib(16, 9), Dib(32, 8)}));
    EXPECT_EQ(ExtractIconGroup(icon, 0, Out("2.ico"), 2), 0);
    EXPECT_EQ(ExtractIconGroup(damaged, 0, Out("3.ico"), 1), 1);
    EXPECT_EQ(ExtractIconGroup(damaged, 0, Out("4.ico"), 2), 0);
    EXPECT_EQ(ExtractIconGroup(dir.File("missing.ico"), 0, Out("5.ico"), 1), 1);
    EXPECT_EQ(EntriesIn(outputs), 1u);
}

TEST_F(ExtractIconGroupTest, ModulesWithoutGroupsOrThatCannotBeOpenedGiveZero) {
    PeBuilder noGroups;
    noGroups.AddIcon(1, Dib(16, 1));
    PeBuilder damaged = ThreeGroups();
    damaged.Fault(ModuleFault::GroupCountTooLarge);
    PeBuilder notPe = ThreeGroups();
    notPe.Fault(ModuleFault::NoDosMagic);
    for (const PeBuilder* builder : {&noGroups, &damaged, &notPe}) {
        std::string path = dir.Write("m.dll", builder->Build());
        EXPECT_EQ(ExtractIconGroup(path, 0, Out("1.ico"), 1), 0);
        EXPECT_EQ(CountIcons(path), 0);
    }
    EXPECT_EQ(ExtractIconGroup(dir.File("missing.exe"), 0, Out("1.ico"), 1), 0);
    EXPECT_EQ(EntriesIn(outputs), 0u);
}

TEST_F(ExtractIconGroupTest, GroupThatCannotBeReadStillGivesTheCount) {
    PeBuilder builder = ThreeGroups();
    builder.AddGroup(std::uint16_t{9}, {1, 77});  // names a missing icon
    builder.Add(kResourceTypeGroupIcon, std::uint16_t{10}, BuildGroupDirectory({}));
    std::string path = dir.Write("m.dll", builder.Build());
    EXPECT_EQ(ExtractIconGroup(path, 0, Out("4.ico"), 4), 5);
    EXPECT_FALSE(std::filesystem::exists(Out("4.ico")));
    // A group without images: an icon file of its header alone, and no bitmap or clipboard.
    ClipboardRecorder clipboard;
    EXPECT_EQ(ExtractIconGroup(path, 0, Out("5.ico"), 5), 5);
    EXPECT_EQ(ReadFileBytes(Out("5.ico")), (ByteBuffer{0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(ExtractIconGroup(path, 0, Out("5.bmp"), 5), 5);
    EXPECT_EQ(ExtractIconGroup(path, 1, {}, 5), 5);
    EXPECT_FALSE(std::filesystem::exists(Out("5.bmp")));
    EXPECT_TRUE(clipboard.blocks.empty());
}

TEST_F(ExtractIconGroupTest, WantedNameIsReleasedAndTheNumberingResetOnEveryCall) {
    EXPECT_EQ(ExtractIconGroup(modulePath, 0, Out("1.ico"), 1), 3);  // the named group
    EXPECT_EQ(WantedGroupIndex, 1);
    EXPECT_EQ(GroupCount, 3);
    EXPECT_EQ(ExtractIconGroup(modulePath, 0, Out("x.ico"), 7), 0);
    EXPECT_EQ(WantedGroupIndex, 7);
    EXPECT_EQ(WantedGroupName, std::nullopt);
}

TEST(CountIcons, CountsAsTheExtractionDoesWithoutReadingResourceData) {
    TempDir dir;
    PeBuilder unreadable = ThreeGroups(PeFormat::Pe32Plus);
    unreadable.Add(kResourceTypeGroupIcon, std::uint16_t{8}, BuildGroupDirectory({}),
                   testing::kLanguageEnglish, ResourceFault::DataOutsideSections);
    PeBuilder noGroups;
    noGroups.AddIcon(1, Dib(16, 1));
    PeBuilder badName = ThreeGroups();
    badName.Fault(ModuleFault::GroupNamePastEnd);
    ByteBuffer bmp = {'B', 'M', 0, 0};
    struct Case {
        const char* name;
        ByteBuffer bytes;
        std::int32_t count;
    };
    const Case cases[] = {
        {"a.exe", ThreeGroups().Build(), 3},
        {"a.DLL", ThreeGroups(PeFormat::Pe32Plus).Build(), 3},
        {"a.icl", unreadable.Build(), 4},  // a group whose data lies nowhere still counts
        {"axexe", ThreeGroups().Build(), 3},
        {"b.exe", noGroups.Build(), 0},
        {"c.exe", badName.Build(), 0},
        {"d.exe", {'M', 'Z', 0, 0}, 0},
        {"a.ico", BuildIcoFile({.images = {Dib(16, 1)}}), 1},
        {"b.ico", BuildIcoFile({.images = {Dib(16, 1)}, .truncateTo = 30}), 1},  // header only
        {"c.ico", BuildIcoFile({.images = {}}), 0},                              // idCount 0
        {"d.ico", BuildIcoFile({.type = 2, .images = {Dib(16, 1)}}), 0},
        {"e.ico", BuildIcoFile({.reserved = 1, .images = {Dib(16, 1)}}), 0},
        {"f.ico", {0, 0, 1}, 0},
        {"a.bmp", bmp, 1},
        {"b.BmP", bmp, 1},
        {"c.bmp", {'M', 'B', 0, 0}, 0},
        {"d.bmp", {'B'}, 0},
        {"xbmp", bmp, 0},
        {"a.png", bmp, 0},
        {"a.txt", ThreeGroups().Build(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CountIcons(dir.Write(c.name, c.bytes)), c.count);
    }
    EXPECT_EQ(CountIcons(dir.File("missing.exe")), 0);
    EXPECT_EQ(CountIcons(dir.File("missing.bmp")), 0);
    EXPECT_EQ(CountIcons(""), 0);
    std::filesystem::create_directory(dir.File("folder.ico"));
    EXPECT_EQ(CountIcons(dir.File("folder.ico")), 0);
}

}  // namespace
}  // namespace tavrin
