#include "icons/module_reader.h"

#include <gtest/gtest.h>

#include "support/icon_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::BuildDibImage;
using testing::BuildGroupDirectory;
using testing::BuildPngImage;
using testing::DibSpec;
using testing::GroupEntry;
using testing::ModuleFault;
using testing::PeBuilder;
using testing::PeFormat;
using testing::PngSpec;
using testing::ResourceFault;
using testing::TempDir;

ByteBuffer Dib(std::int32_t size, std::uint16_t bitCount, std::uint8_t fill) {
    DibSpec shape;
    shape.width = size;
    shape.height = size;
    shape.bitCount = bitCount;
    shape.fill = fill;
    return BuildDibImage(shape);
}

ByteBuffer Png(std::uint32_t size) {
    PngSpec shape;
    shape.width = size;
    shape.height = size;
    return BuildPngImage(shape);
}

ByteBuffer BytesOf(const IconImage& image) {
    return {image.data.get(), image.data.get() + image.dataSize};
}

// Icon groups: the named "MAIN", then ids 1 and 5, as a module stores them.
PeBuilder ThreeGroups(PeFormat format = PeFormat::Pe32) {
    PeBuilder builder(format);
    builder.AddIcon(1, Dib(16, 32, 1)).AddIcon(2, Dib(32, 4, 2)).AddIcon(3, Png(256));
    builder.AddGroup(std::uint16_t{1}, {1, 2});
    builder.AddGroup(std::uint16_t{5}, {3});
    builder.AddGroup(std::string("MAIN"), {2});
    return builder;
}

void Number(const std::string& path, std::int32_t wanted) {
    WantedGroupIndex = wanted;
    GroupCount = 0;
    WantedGroupName.reset();
    auto module = ResourceModule::Open(path);
    ASSERT_TRUE(module);
    NumberIconGroups(*module);
}

TEST(NumberIconGroups, NumbersNamedGroupsFirstThenIds) {
    TempDir dir;
    std::string path = dir.Write("three.dll", ThreeGroups().Build());
    struct Case {
        std::int32_t wanted;
        std::optional<ResourceName> name;
    };
    const Case cases[] = {
        {1, std::string("MAIN")}, {2, std::uint16_t{1}}, {3, std::uint16_t{5}},
        {4, std::nullopt},  // above the count: no name, but the count is complete
        {0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        Number(path, c.wanted);  // the module is closed again here: a text name is a copy
        EXPECT_EQ(GroupCount, 3);
        EXPECT_EQ(WantedGroupName, c.name);
    }
}

TEST(NumberIconGroups, CountsNothingWhenTheEnumerationFails) {
    TempDir dir;
    struct Case {
        const char* what;
        PeBuilder builder;
    };
    PeBuilder noGroups;
    noGroups.AddIcon(1, Dib(16, 32, 1));
    PeBuilder damagedLate;  // "MAIN" is counted before the bad id is met
    damagedLate.AddIcon(1, Dib(16, 32, 1)).AddGroup(std::string("MAIN"), {1});
    damagedLate.AddGroup(std::uint16_t{1}, {1}).Fault(ModuleFault::GroupIdAboveRange);
    const Case cases[] = {
        {"no RT_GROUP_ICON", noGroups},
        {"a damaged name after a good one", damagedLate},
        {"no resources at all", PeBuilder(PeFormat::Pe32Plus)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Number(dir.Write("m.dll", c.builder.Build()), 1);
        EXPECT_EQ(GroupCount, 0);
    }
}

TEST(ReadModuleIconGroup, ReadsEveryImageOfTheGroupFromItsIconResource) {
    TempDir dir;
    for (PeFormat format : {PeFormat::Pe32, PeFormat::Pe32Plus}) {
        SCOPED_TRACE(format == PeFormat::Pe32 ? "PE32" : "PE32+");
        std::string path = dir.Write("m.exe", ThreeGroups(format).Build());
        auto group = ReadModuleIconGroup(path, ResourceName(std::uint16_t{1}));
        ASSERT_TRUE(group);
        EXPECT_EQ(group->moduleFilePath, path);
        EXPECT_EQ(group->iconFilePath, "");
        ASSERT_EQ(group->imageCount, 2u);
        ASSERT_EQ(group->images.size(), 2u);
        EXPECT_EQ(BytesOf(group->images[0]), Dib(16, 32, 1));
        EXPECT_EQ(BytesOf(group->images[1]), Dib(32, 4, 2));
        EXPECT_EQ(group->images[1].width, 32u);
        EXPECT_EQ(group->images[1].height, 32u);
        EXPECT_EQ(group->images[1].bitsPerPixel, 4u);
        EXPECT_EQ(group->images[1].header, group->images[1].data.get());

        auto png = ReadModuleIconGroup(path, ResourceName(std::uint16_t{5}));
        ASSERT_TRUE(png);
        ASSERT_EQ(png->imageCount, 1u);
        EXPECT_EQ(BytesOf(png->images[0]), Png(256));
        EXPECT_EQ(png->images[0].width, 256u);

        auto named = ReadModuleIconGroup(path, ResourceName(std::string("main")));
        ASSERT_TRUE(named);
        EXPECT_EQ(BytesOf(named->images.at(0)), Dib(32, 4, 2));
    }
}

TEST(ReadModuleIconGroup, ImageSizeComesFromTheIconResource) {
    TempDir dir;
    PeBuilder builder;
    builder.AddIcon(1, Dib(16, 32, 1)).AddIcon(2, Dib(16, 8, 2));
    std::vector<GroupEntry> entries = {{.id = 1, .bytesInRes = 10},
                                       {.id = 2, .bytesInRes = 999999}};
    builder.Add(kResourceTypeGroupIcon, std::uint16_t{1}, BuildGroupDirectory(entries));
    auto group = ReadModuleIconGroup(dir.Write("m.dll", builder.Build()), std::uint16_t{1});
    ASSERT_TRUE(group);
    EXPECT_EQ(group->images[0].dataSize, Dib(16, 32, 1).size());
    EXPECT_EQ(BytesOf(group->images[1]), Dib(16, 8, 2));
}

TEST(ReadModuleIconGroup, TakesTheFirstLanguageOfTheGroup) {
    TempDir dir;
    PeBuilder builder;
    builder.AddIcon(1, Dib(16, 32, 1)).AddIcon(2, Dib(32, 32, 2));
    builder.AddGroup(std::uint16_t{7}, {2}, testing::kLanguageChinese);
    builder.AddGroup(std::uint16_t{7}, {1}, testing::kLanguageEnglish);
    auto group = ReadModuleIconGroup(dir.Write("m.dll", builder.Build()), std::uint16_t{7});
    ASSERT_TRUE(group);
    EXPECT_EQ(BytesOf(group->images.at(0)), Dib(32, 32, 2));
}

TEST(ReadModuleIconGroup, GroupWithCountZeroHasNoImages) {
    TempDir dir;
    PeBuilder builder;
    builder.Add(kResourceTypeGroupIcon, std::uint16_t{1}, BuildGroupDirectory({}));
    auto group = ReadModuleIconGroup(dir.Write("m.dll", builder.Build()), std::uint16_t{1});
    ASSERT_TRUE(group);
    EXPECT_EQ(group->imageCount, 0u);
    EXPECT_TRUE(group->images.empty());
}

TEST(ReadModuleIconGroup, FailsWholeWithoutAPartialGroup) {
    TempDir dir;
    struct Case {
        const char* what;
        PeBuilder builder;
        std::optional<ResourceName> name = std::uint16_t{1};
    };
    auto base = [] {
        PeBuilder builder;
        builder.AddIcon(1, Dib(16, 32, 1)).AddIcon(2, Dib(32, 32, 2));
        return builder;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"second entry names a missing icon", base().AddGroup(std::uint16_t{1}, {1, 9})});
    cases.push_back({"directory shorter than its count",
                     base().Add(kResourceTypeGroupIcon, std::uint16_t{1},
                                BuildGroupDirectory({{.id = 1}, {.id = 2}}, 3))});
    cases.push_back({"directory shorter than its header",
                     base().Add(kResourceTypeGroupIcon, std::uint16_t{1}, {0, 0, 1, 0})});
    cases.push_back({"an icon whose data lies beyond the file",
                     base()
                         .AddIcon(3, Dib(16, 32, 3), ResourceFault::DataPastFile)
                         .AddGroup(std::uint16_t{1}, {1, 3})});
    cases.push_back(
        {"the group's own data outside every section",
         base().Add(kResourceTypeGroupIcon, std::uint16_t{1}, BuildGroupDirectory({{.id = 1}}),
                    testing::kLanguageEnglish, ResourceFault::DataOutsideSections)});
    // 5,000 entries of one 4 KB image would take 20 MB from a file of a few KB.
    cases.push_back({"one image named more often than the file could hold",
                     base().AddGroup(std::uint16_t{1}, std::vector<std::uint16_t>(5000, 2))});
    cases.push_back({"no such group", base().AddGroup(std::uint16_t{2}, {1})});
    cases.push_back({"no name", base().AddGroup(std::uint16_t{1}, {1}), std::nullopt});
    cases.push_back({"not a PE image",
                     base().AddGroup(std::uint16_t{1}, {1}).Fault(ModuleFault::NoPeSignature)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(ReadModuleIconGroup(dir.Write("m.dll", c.builder.Build()), c.name));
    }
    EXPECT_FALSE(ReadModuleIconGroup(dir.File("missing.dll"), std::uint16_t{1}));
}

TEST(ReadModuleIconGroup, AnIconListedTwiceIsCopiedTwice) {
    TempDir dir;
    PeBuilder builder;
    builder.AddIcon(1, Dib(16, 32, 1)).AddGroup(std::uint16_t{1}, {1, 1});
    auto group = ReadModuleIconGroup(dir.Write("m.dll", builder.Build()), std::uint16_t{1});
    ASSERT_TRUE(group);
    ASSERT_EQ(group->images.size(), 2u);
    EXPECT_NE(group->images[0].data.get(), group->images[1].data.get());
    EXPECT_EQ(BytesOf(group->images[1]), Dib(16, 32, 1));
}

}  // namespace
}  // namespace tavrin
