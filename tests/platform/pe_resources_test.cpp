#include "platform/pe_resources.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "platform/utf16.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::ModuleFault;
using testing::PeBuilder;
using testing::PeFormat;
using testing::ResourceFault;
using testing::TempDir;

ByteBuffer Bytes(std::size_t size, std::uint8_t first) {
    ByteBuffer bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
    return bytes;
}

std::vector<ResourceName> NamesOf(const ResourceModule& module, std::uint16_t type,
                                  bool* complete = nullptr) {
    std::vector<ResourceName> names;
    bool done = module.EnumResourceNames(type, [&names](const ResourceName& name) {
        names.push_back(name);
        return true;
    });
    if (complete) *complete = done;
    return names;
}

// The bytes of the resource, or nothing when it is not found or cannot be read.
std::optional<ByteBuffer> Load(const ResourceModule& module, const ResourceName& name,
                               std::uint16_t type) {
    auto location = module.FindResource(name, type);
    if (!location) return std::nullopt;
    ByteBuffer bytes(location->size, 0xAA);  // so that bytes left unwritten show
    if (!module.LoadResource(*location, bytes.data())) return std::nullopt;
    return bytes;
}

std::unique_ptr<ResourceModule> OpenBuilt(const TempDir& dir, const PeBuilder& builder) {
    return ResourceModule::Open(dir.Write("module.dll", builder.Build()));
}

// Groups "MAINICON" and "图标", then ids 1 and 5, each with its own bytes; icons 1 to 3.
PeBuilder SampleModule(PeFormat format) {
    PeBuilder builder(format);
    builder.Add(kResourceTypeGroupIcon, std::uint16_t{1}, Bytes(20, 1));
    builder.Add(kResourceTypeGroupIcon, std::string("MAINICON"), Bytes(21, 2));
    builder.Add(kResourceTypeGroupIcon, std::uint16_t{5}, Bytes(22, 3));
    builder.Add(kResourceTypeGroupIcon, std::string("图标"), Bytes(23, 4));
    for (std::uint16_t id = 1; id <= 3; ++id) builder.AddIcon(id, Bytes(100 + id, 10 * id));
    return builder;
}

class PeFormats : public ::testing::TestWithParam<PeFormat> {};

TEST_P(PeFormats, EnumeratesNamedEntriesThenIdsAndFindsEachOne) {
    TempDir dir;
    auto module = OpenBuilt(dir, SampleModule(GetParam()));
    ASSERT_TRUE(module);
    bool complete = false;
    std::vector<ResourceName> expected = {std::string("MAINICON"), std::string("图标"),
                                          std::uint16_t{1}, std::uint16_t{5}};
    EXPECT_EQ(NamesOf(*module, kResourceTypeGroupIcon, &complete), expected);
    EXPECT_TRUE(complete);
    EXPECT_EQ(module->CountResourceNames(kResourceTypeGroupIcon), 4u);
    EXPECT_EQ(module->CountResourceNames(kResourceTypeIcon), 3u);

    EXPECT_EQ(Load(*module, std::uint16_t{1}, kResourceTypeGroupIcon), Bytes(20, 1));
    EXPECT_EQ(Load(*module, std::string("MAINICON"), kResourceTypeGroupIcon), Bytes(21, 2));
    EXPECT_EQ(Load(*module, std::uint16_t{5}, kResourceTypeGroupIcon), Bytes(22, 3));
    EXPECT_EQ(Load(*module, std::string("图标"), kResourceTypeGroupIcon), Bytes(23, 4));
    EXPECT_EQ(Load(*module, std::uint16_t{3}, kResourceTypeIcon), Bytes(103, 30));
}

INSTANTIATE_TEST_SUITE_P(Both, PeFormats, ::testing::Values(PeFormat::Pe32, PeFormat::Pe32Plus));

TEST(PeResources, StopsWhenTheCallbackSaysSo) {
    TempDir dir;
    auto module = OpenBuilt(dir, SampleModule(PeFormat::Pe32));
    int calls = 0;
    EXPECT_FALSE(module->EnumResourceNames(kResourceTypeGroupIcon,
                                           [&calls](const ResourceName&) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

TEST(PeResources, LooksUpTextNamesWithAsciiLettersInAnyCase) {
    TempDir dir;
    auto module = OpenBuilt(dir, SampleModule(PeFormat::Pe32));
    struct Case {
        ResourceName name;
        bool found;
    };
    const Case cases[] = {
        {std::string("MAINICON"), true},   {std::string("mainicon"), true},
        {std::string("MainIcon"), true},   {std::string("MAINICO"), false},
        {std::string("MAINICONS"), false}, {std::string("图标"), true},
        {std::string("1"), false},  // a text never matches an id
        {std::uint16_t{2}, false},         {std::string(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.index() == 0 ? std::get<0>(c.name)
                                         : std::to_string(std::get<1>(c.name)));
        EXPECT_EQ(module->FindResource(c.name, kResourceTypeGroupIcon).has_value(), c.found);
    }
    EXPECT_FALSE(module->FindResource(std::uint16_t{1}, 99));  // no such type
}

TEST(PeResources, TakesTheFirstLanguageVariantInTheDirectory) {
    TempDir dir;
    PeBuilder builder;
    builder.Add(kResourceTypeIcon, std::uint16_t{1}, Bytes(8, 0x80), testing::kLanguageChinese);
    builder.Add(kResourceTypeIcon, std::uint16_t{1}, Bytes(8, 0x40), testing::kLanguageEnglish);
    auto module = OpenBuilt(dir, builder);
    EXPECT_EQ(NamesOf(*module, kResourceTypeIcon).size(), 1u);
    EXPECT_EQ(Load(*module, std::uint16_t{1}, kResourceTypeIcon), Bytes(8, 0x80));
}

TEST(PeResources, EmptyResourceIsFoundAndLoadsIntoNoBuffer) {
    TempDir dir;
    PeBuilder builder;
    builder.AddIcon(1, Bytes(8, 1)).AddIcon(2, {});
    auto module = OpenBuilt(dir, builder);
    auto location = module->FindResource(std::uint16_t{2}, kResourceTypeIcon);
    ASSERT_TRUE(location);
    EXPECT_EQ(location->size, 0u);
    EXPECT_TRUE(module->LoadResource(*location, nullptr));
}

TEST(PeResources, SectionTailBeyondItsRawDataReadsAsZeros) {
    TempDir dir;
    ByteBuffer last = Bytes(64, 1);
    std::fill(last.begin() + 24, last.end(), 0);  // an AND mask of zeros, say
    PeBuilder builder;
    builder.AddIcon(1, Bytes(30, 7)).AddIcon(2, last);
    auto module = OpenBuilt(dir, builder.ZeroTail(40));
    ASSERT_TRUE(module);
    auto location = module->FindResource(std::uint16_t{2}, kResourceTypeIcon);
    ASSERT_TRUE(location);
    EXPECT_EQ(location->zeroTail, 40u);
    EXPECT_EQ(Load(*module, std::uint16_t{2}, kResourceTypeIcon), last);
    EXPECT_EQ(Load(*module, std::uint16_t{1}, kResourceTypeIcon), Bytes(30, 7));
}

TEST(PeResources, RefusesWhatIsNotAPeImage) {
    TempDir dir;
    struct Case {
        const char* what;
        ModuleFault fault;
    };
    const Case cases[] = {
        {"no MZ", ModuleFault::NoDosMagic},
        {"no PE signature", ModuleFault::NoPeSignature},
        {"optional header neither PE32 nor PE32+", ModuleFault::UnknownOptionalMagic},
        {"e_lfanew past the end", ModuleFault::PeHeaderPastEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto builder = SampleModule(PeFormat::Pe32);
        EXPECT_FALSE(OpenBuilt(dir, builder.Fault(c.fault)));
    }
    EXPECT_FALSE(ResourceModule::Open(dir.Write("empty.dll", {})));
    EXPECT_FALSE(ResourceModule::Open(dir.Write("mz.dll", {'M', 'Z'})));
    EXPECT_FALSE(ResourceModule::Open(dir.File("missing.dll")));
    EXPECT_FALSE(ResourceModule::Open(dir.path().string()));  // a folder
}

// A damaged directory on the way to the groups fails their enumeration and every lookup of
// them, but not the module: the icons stay readable.
TEST(PeResources, DamagedGroupDirectoryFailsTheGroupsOnly) {
    TempDir dir;
    struct Case {
        const char* what;
        ModuleFault fault;
        bool iconsReadable;
    };
    const Case cases[] = {
        {"type directory loops back to the root", ModuleFault::GroupTypeLoop, true},
        {"name count cannot fit in the section", ModuleFault::GroupCountTooLarge, true},
        {"name runs past the end of the section", ModuleFault::GroupNamePastEnd, true},
        {"id above 65,535", ModuleFault::GroupIdAboveRange, true},
        {"no resource table", ModuleFault::NoResourceTable, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto builder = SampleModule(PeFormat::Pe32Plus);
        auto module = OpenBuilt(dir, builder.Fault(c.fault));
        ASSERT_TRUE(module);
        bool complete = true;
        NamesOf(*module, kResourceTypeGroupIcon, &complete);
        EXPECT_FALSE(complete);
        EXPECT_EQ(module->CountResourceNames(kResourceTypeGroupIcon), 0u);
        EXPECT_EQ(Load(*module, std::uint16_t{1}, kResourceTypeIcon).has_value(), c.iconsReadable);
        EXPECT_EQ(module->CountResourceNames(kResourceTypeIcon), c.iconsReadable ? 3u : 0u);
    }
}

TEST(PeResources, DamagedResourceFailsAloneAndIsStillEnumerated) {
    TempDir dir;
    struct Case {
        const char* what;
        ResourceFault fault;
    };
    const Case cases[] = {
        {"a fourth level", ResourceFault::FourthLevel},
        {"language directory loops back", ResourceFault::LanguageLoop},
        {"data outside every section", ResourceFault::DataOutsideSections},
        {"data runs past its section", ResourceFault::DataPastSection},
        {"data larger than the file", ResourceFault::DataPastFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PeBuilder builder;
        builder.AddIcon(1, Bytes(40, 1)).AddIcon(2, Bytes(40, 2), c.fault).AddIcon(3, Bytes(40, 3));
        auto module = OpenBuilt(dir, builder);
        ASSERT_TRUE(module);
        EXPECT_EQ(module->CountResourceNames(kResourceTypeIcon), 3u);
        EXPECT_FALSE(module->FindResource(std::uint16_t{2}, kResourceTypeIcon));
        EXPECT_EQ(Load(*module, std::uint16_t{1}, kResourceTypeIcon), Bytes(40, 1));
        EXPECT_EQ(Load(*module, std::uint16_t{3}, kResourceTypeIcon), Bytes(40, 3));
    }
}

TEST(PeResources, ResourceCutOffByTheEndOfTheFileFails) {
    TempDir dir;
    PeBuilder builder;
    builder.AddIcon(1, Bytes(40, 1)).AddIcon(2, Bytes(40, 2));
    auto module = OpenBuilt(dir, builder.Fault(ModuleFault::TruncatedSection));
    ASSERT_TRUE(module);
    EXPECT_EQ(Load(*module, std::uint16_t{1}, kResourceTypeIcon), Bytes(40, 1));
    EXPECT_FALSE(module->FindResource(std::uint16_t{2}, kResourceTypeIcon));
}

TEST(PeResources, ModuleWithoutResourcesHasNone) {
    TempDir dir;
    auto module = OpenBuilt(dir, PeBuilder(PeFormat::Pe32Plus));
    ASSERT_TRUE(module);
    bool complete = true;
    EXPECT_TRUE(NamesOf(*module, kResourceTypeGroupIcon, &complete).empty());
    EXPECT_FALSE(complete);
    EXPECT_FALSE(module->FindResource(std::uint16_t{1}, kResourceTypeGroupIcon));
}

TEST(Utf16ToUtf8, ConvertsPairsAndReplacesLoneSurrogates) {
    struct Case {
        std::vector<std::uint8_t> utf16;
        std::string utf8;
    };
    const Case cases[] = {
        {{'A', 0, 'b', 0}, "Ab"},
        {{0xFE, 0x56, 0x07, 0x68}, "图标"},
        {{0xE9, 0x00}, "\xC3\xA9"},
        {{0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},  // U+1F600 as a surrogate pair
        {{0x3D, 0xD8, 'x', 0}, "\xEF\xBF\xBDx"},         // high surrogate alone
        {{0x00, 0xDE}, "\xEF\xBF\xBD"},                  // low surrogate alone
        {{'A', 0, 'B'}, "A"},                            // an odd byte is not a unit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf16ToUtf8(c.utf16), c.utf8);
    }
}

}  // namespace
}  // namespace tavrin
