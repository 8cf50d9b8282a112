#include "platform/shell_links.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/byte_builder.h"
#include "support/lnk_builder.h"
#include "support/scoped_environment.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

using testing::ComputerItem;
using testing::DriveItem;
using testing::FileItem;
using testing::LinkInfoBuilder;
using testing::OtherItem;
using testing::ScopedEnvironment;
using testing::ShortcutBuilder;
using testing::ShortcutToLocalPath;
using testing::TempDir;

std::string ResolveBytes(const ByteBuffer& bytes, const std::string& name = "x.lnk") {
    TempDir dir;
    return ResolveShortcut(dir.Write(name, bytes));
}

struct TargetCase {
    const char* name;
    ByteBuffer file;
    std::string target;
};

ByteBuffer WithLinkInfo(const LinkInfoBuilder& info) {
    return ShortcutBuilder().LinkInfo(info.Build()).Build();
}

ByteBuffer WithIdList(std::vector<ByteBuffer> items) {
    return ShortcutBuilder().IdList(std::move(items)).Build();
}

TEST(ResolveShortcut, GivesTheRecordedTarget) {
    const std::vector<ByteBuffer> testFolderAndFile = {
        ComputerItem(), DriveItem("C:\\"), FileItem("test", true, u"test"),
        FileItem("ALONGN~1.TXT", false, u"a long name.txt")};
    const ByteBuffer otherInfo = LinkInfoBuilder().Base("D:\\other.exe").Build();
    const std::vector<TargetCase> cases = {
        {"local path as stored", ShortcutToLocalPath("C:\\apps\\tool.exe"), "C:\\apps\\tool.exe"},
        {"posix path as stored", ShortcutToLocalPath("/opt/app/tool.exe"), "/opt/app/tool.exe"},
        {"base joined with suffix",
         WithLinkInfo(LinkInfoBuilder().Base("C:\\apps\\").Suffix("tool.exe")),
         "C:\\apps\\tool.exe"},
        {"unicode forms win over narrow ones",
         WithLinkInfo(LinkInfoBuilder()
                          .Base("C:\\??\\")
                          .Suffix("?.exe")
                          .UnicodeBase(u"C:\\图标\\")
                          .UnicodeSuffix(u"工具.exe")),
         "C:\\图标\\工具.exe"},
        {"unicode base with narrow suffix",
         WithLinkInfo(LinkInfoBuilder().Base("C:\\?").Suffix(".exe").UnicodeBase(u"C:\\é")),
         "C:\\é.exe"},
        {"surrogate pair and a lone surrogate",
         WithLinkInfo(LinkInfoBuilder().Base("x").UnicodeBase(u"C:\\\xD83D\xDE00\xD800.exe")),
         "C:\\\xF0\x9F\x98\x80\xEF\xBF\xBD.exe"},
        {"network share",
         WithLinkInfo(LinkInfoBuilder().Network("\\\\server\\share").Suffix("dir\\a.exe")),
         "\\\\server\\share\\dir\\a.exe"},
        {"link info wins over the id list",
         ShortcutBuilder().IdList(testFolderAndFile).LinkInfo(otherInfo).Build(), "D:\\other.exe"},
        {"id list only, long names", WithIdList(testFolderAndFile), "C:\\test\\a long name.txt"},
        {"id list when link info is to be ignored",
         ShortcutBuilder().IdList(testFolderAndFile).LinkInfo(otherInfo).ExtraFlags(0x100).Build(),
         "C:\\test\\a long name.txt"},
        {"id list without root item, primary names",
         WithIdList({DriveItem("E:\\"), FileItem("GAMES", true), FileItem("RUN.EXE", false)}),
         "E:\\GAMES\\RUN.EXE"},
        {"older extension blocks",
         WithIdList({DriveItem("C:\\"), FileItem("A", true, u"v3 dir", 3),
                     FileItem("B", true, u"v7 dir", 7), FileItem("C", false, u"v8.exe", 8)}),
         "C:\\v3 dir\\v7 dir\\v8.exe"},
        {"id list naming no file-system object", WithIdList({ComputerItem(), OtherItem()}), ""},
        {"id list of a root folder only", WithIdList({ComputerItem()}), ""},
        {"file item without a drive", WithIdList({ComputerItem(), FileItem("A", false)}), ""},
        {"neither link info nor id list", ShortcutBuilder().Build(), ""},
        {"259 bytes", ShortcutToLocalPath("C:\\" + std::string(252, 'a') + ".exe"),
         "C:\\" + std::string(252, 'a') + ".exe"},
        {"260 bytes", ShortcutToLocalPath("C:\\" + std::string(253, 'a') + ".exe"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ResolveBytes(c.file), c.target);
    }
}

TEST(ResolveShortcut, TruncatedFilesGiveNothing) {
    const ByteBuffer full =
        ShortcutBuilder()
            .IdList({ComputerItem(), DriveItem("C:\\"), FileItem("A", false)})
            .LinkInfo(LinkInfoBuilder().Base("C:\\apps\\").Suffix("tool.exe").Build())
            .Build();
    ASSERT_EQ(ResolveBytes(full), "C:\\apps\\tool.exe");
    // Only the closing four bytes of the extra-data list may go without losing the target.
    TempDir dir;
    for (std::size_t size = 0; size + 4 < full.size(); ++size) {
        SCOPED_TRACE(size);
        ByteBuffer cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(ResolveShortcut(dir.Write("cut.lnk", cut)), "");
    }
}

TEST(ResolveShortcut, LinkInfoOffsetsOutsideItGiveNothing) {
    const ByteBuffer info = LinkInfoBuilder().Base("C:\\a.exe").Build();
    ASSERT_EQ(ResolveBytes(ShortcutBuilder().LinkInfo(info).Build()), "C:\\a.exe");
    const std::vector<std::pair<const char*, std::size_t>> fields = {
        {"LocalBasePathOffset", 16}, {"LinkInfoSize beyond the file", 0}};
    for (const auto& [name, at] : fields) {
        SCOPED_TRACE(name);
        ByteBuffer bad = info;
        for (int i = 0; i < 3; ++i) bad[at + i] = 0xFF;
        EXPECT_EQ(ResolveBytes(ShortcutBuilder().LinkInfo(bad).Build()), "");
    }
    // The base path runs to the end of LinkInfo without its terminating zero.
    ByteBuffer unterminated = LinkInfoBuilder().Base("C:\\a.exe").Build();
    unterminated.resize(unterminated.size() - 2);  // the suffix's zero and the base's zero
    unterminated[0] = static_cast<std::uint8_t>(unterminated.size());
    EXPECT_EQ(ResolveBytes(ShortcutBuilder().LinkInfo(unterminated).Build()), "");
}

TEST(IsShortcutFile, NeedsTheHeaderSizeAndClassId) {
    TempDir dir;
    const ByteBuffer good = ShortcutToLocalPath("C:\\a.exe");
    EXPECT_TRUE(IsShortcutFile(dir.Write("a.lnk", good)));
    EXPECT_TRUE(IsShortcutFile(dir.Write("UPPER.LNK", good)));
    EXPECT_TRUE(IsShortcutFile(dir.Write("no-extension", good)));

    ByteBuffer wrongSize = good;
    wrongSize[0] = 0x4D;
    ByteBuffer wrongClass = good;
    wrongClass[19] = 0x47;
    ByteBuffer headerOnly(good.begin(), good.begin() + 0x4C);
    ByteBuffer shortHeader(good.begin(), good.begin() + 0x4B);
    EXPECT_FALSE(IsShortcutFile(dir.Write("size.lnk", wrongSize)));
    EXPECT_FALSE(IsShortcutFile(dir.Write("class.lnk", wrongClass)));
    EXPECT_TRUE(IsShortcutFile(dir.Write("header.lnk", headerOnly)));
    EXPECT_FALSE(IsShortcutFile(dir.Write("short.lnk", shortHeader)));
    EXPECT_FALSE(IsShortcutFile(dir.Write("empty.lnk", {})));
    EXPECT_FALSE(IsShortcutFile(dir.File("missing.lnk")));
    std::filesystem::create_directory(dir.path() / "folder.lnk");
    EXPECT_FALSE(IsShortcutFile(dir.File("folder.lnk")));
    EXPECT_EQ(ResolveShortcut(dir.File("folder.lnk")), "");
    EXPECT_EQ(ResolveShortcut(dir.File("class.lnk")), "");
}

TEST(SpecialFolderPath, DesktopFromTheUserDirectories) {
    TempDir home;
    std::filesystem::create_directories(home.path() / "Desktop");
    std::filesystem::create_directories(home.path() / "桌面");
    std::filesystem::create_directories(home.path() / "elsewhere" / "desk");
    std::filesystem::create_directories(home.path() / "cfg");
    const std::string h = home.path().string();

    struct Case {
        const char* name;
        std::optional<std::string> userDirs;  // in $HOME/.config unless xdgConfigHome is set
        bool xdgConfigHome;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"no configuration: $HOME/Desktop", std::nullopt, false, h + "/Desktop/"},
        {"relative to $HOME", "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n", false, h + "/桌面/"},
        {"absolute, with a trailing slash",
         "# comment\nXDG_DESKTOP_DIR=\"" + h + "/elsewhere/desk/\"\n", false,
         h + "/elsewhere/desk/"},
        {"from $XDG_CONFIG_HOME", "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n", true, h + "/桌面/"},
        {"the home directory itself", "XDG_DESKTOP_DIR=\"$HOME\"\n", false, h + "/"},
        {"configured folder missing", "XDG_DESKTOP_DIR=\"$HOME/gone\"\n", false, ""},
        {"relative value ignored", "XDG_DESKTOP_DIR=\"Desk\"\n", false, h + "/Desktop/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(home.path() / ".config" / "user-dirs.dirs");
        std::filesystem::remove(home.path() / "cfg" / "user-dirs.dirs");
        ScopedEnvironment env;
        env.Set("HOME", h);
        env.Set("XDG_CONFIG_HOME",
                c.xdgConfigHome ? std::optional<std::string>(h + "/cfg") : std::nullopt);
        if (c.userDirs) {
            std::filesystem::create_directories(home.path() / ".config");
            const char* folder = c.xdgConfigHome ? "cfg" : ".config";
            home.Write(std::string(folder) + "/user-dirs.dirs",
                       ByteBuffer(c.userDirs->begin(), c.userDirs->end()));
        }
        EXPECT_EQ(SpecialFolderPath(3), c.expected);
    }
}

TEST(SpecialFolderPath, EmptyWithoutADesktopOrForOtherFolders) {
    TempDir home;
    ScopedEnvironment env;
    env.Set("HOME", home.path().string());
    env.Set("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(SpecialFolderPath(3), "");
    std::filesystem::create_directories(home.path() / "Desktop");
    EXPECT_EQ(SpecialFolderPath(3), home.path().string() + "/Desktop/");
    for (std::int32_t other : {0, 2, 4, 5, -1}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(SpecialFolderPath(other), "");
    }
    env.Set("HOME", "relative/home");
    EXPECT_EQ(SpecialFolderPath(3), "");
}

}  // namespace
}  // namespace tavrin
