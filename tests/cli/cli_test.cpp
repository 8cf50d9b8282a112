// End-to-end tests of the built tavrin-cli program on fixtures made in code.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bitmap/converters.h"
#include "cli/cli.h"
#include "icons/extract.h"
#include "platform/files.h"
#include "support/bmp_builder.h"
#include "support/icon_builder.h"
#include "support/lnk_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;
using namespace tavrin::testing;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class Cli : public ::testing::Test {
  protected:
    Outcome Run(const std::vector<std::string>& args) {
        std::string command = Quote(TAVRIN_CLI_PATH);
        for (const auto& arg : args) command += " " + Quote(arg);
        command += " >" + Quote(dir.File("stdout")) + " 2>" + Quote(dir.File("stderr"));
        int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir.File("stdout")),
                Slurp(dir.File("stderr"))};
    }

    // A module with three icon groups: a named one and the ids 1 and 5.
    std::string Module(const std::string& name) {
        PeBuilder builder;
        builder.AddIcon(1, BuildDibImage({.width = 16, .height = 16, .bitCount = 4}))
            .AddIcon(2, BuildDibImage({.width = 32, .height = 32, .bitCount = 32, .fill = 3}))
            .AddIcon(3, BuildPngImage({.width = 256, .height = 256}))
            .AddGroup(std::string("MAIN"), {1, 2})
            .AddGroup(std::uint16_t{1}, {2})
            .AddGroup(std::uint16_t{5}, {3, 1});
        return dir.Write(name, builder.Build());
    }

    std::string Bitmap(const std::string& name) {
        BmpImage image;
        image.width = 5;
        image.height = 3;
        image.pixels = PatternPixels(5, 3);
        return dir.Write(name, BuildBmp(image));
    }

    TempDir dir;
};

TEST_F(Cli, UsageErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"count"},
        {"list", "a", "b"},
        {"extract", "--bogus", "x.exe"},
        {"convert", "only-one.bmp"},
        {"convert", "--key", "12345", "a.bmp", "b.ico"},
        {"convert", "--cursor", "3", "a.bmp", "b.ico"},
        {"extract", "-o"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(::testing::PrintToString(args));
        Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_NE(outcome.err.find("--help"), std::string::npos);
    }
}

TEST_F(Cli, HelpAndVersion) {
    Outcome help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("tavrin-cli extract [-o DIR]"), std::string::npos);
    Outcome version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tavrin-cli ", 0), 0u);
}

TEST_F(Cli, CountsEveryKindOfSourceAndFailsOnAMissingFile) {
    std::string module = Module("tool.exe");
    std::string icon = dir.Write("one.ico", BuildIcoFile({.images = {BuildDibImage({})}}));
    std::string bitmap = Bitmap("pic.BMP");
    std::string missing = dir.File("missing.dll");
    Outcome outcome = Run({"count", module, icon, bitmap, missing});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out,
              module + "\t3\n" + icon + "\t1\n" + bitmap + "\t1\n" + missing + "\t0\n");
    EXPECT_EQ(outcome.err, "tavrin-cli: " + missing + ": cannot read\n");
}

TEST_F(Cli, ListsGroupsWithNamesAndImages) {
    Outcome outcome = Run({"list", Module("tool.dll")});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out,
              "1\tMAIN\t16x16 4-bit DIB 296 bytes, 32x32 32-bit DIB 4264 bytes\n"
              "2\t#1\t32x32 32-bit DIB 4264 bytes\n"
              "3\t#5\t256x256 32-bit PNG " +
                  std::to_string(BuildPngImage({.width = 256, .height = 256}).size()) +
                  " bytes, 16x16 4-bit DIB 296 bytes\n");
}

TEST_F(Cli, ExtractWritesWhatTheWindowsEngineCallsWrite) {
    std::string module = Module("tool.exe");
    fs::create_directory(dir.path() / "engine");
    for (int i = 1; i <= CountIcons(module); ++i) {
        ExtractIconGroup(module, 0, dir.File("engine/" + std::to_string(i) + ".ico"), i);
    }
    Outcome outcome = Run({"extract", "-o", dir.File("out"), module});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (int i = 1; i <= 3; ++i) {
        std::string name = std::to_string(i) + ".ico";
        SCOPED_TRACE(name);
        ByteBuffer written = ReadFileBytes(dir.File("out/" + name));
        EXPECT_FALSE(written.empty());
        EXPECT_EQ(written, ReadFileBytes(dir.File("engine/" + name)));
    }
    EXPECT_FALSE(fs::exists(dir.path() / "out" / "4.ico"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "out"), fs::directory_iterator()),
              3);
}

TEST_F(Cli, ExtractGivesEachOfSeveralSourcesItsOwnFolder) {
    std::string module = Module("tool.exe");
    std::string bitmap = Bitmap("pic.bmp");
    fs::create_directory(dir.path() / "other");
    std::string sameName = dir.Write("other/tool.exe", ReadFileBytes(module));
    Outcome outcome = Run({"extract", "-o", dir.File("out"), module, bitmap, sameName});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(fs::exists(dir.path() / "out/tool.exe/3.ico"));
    EXPECT_TRUE(fs::exists(dir.path() / "out/tool.exe-2/3.ico"));
    ByteBuffer expected;
    ASSERT_TRUE(BmpToIcoDirect(ReadFileBytes(bitmap), expected));
    EXPECT_EQ(ReadFileBytes(dir.File("out/pic.bmp/1.ico")), expected);
    EXPECT_EQ(outcome.err, "") << "no progress line when stderr is no terminal";
}

TEST_F(Cli, ExtractReportsFailuresButDoesTheRest) {
    std::string module = Module("tool.exe");
    std::string empty = dir.Write("plain.exe", ByteBuffer(200, 0));
    Outcome outcome =
        Run({"extract", "-o", dir.File("out"), dir.File("missing.exe"), empty, module});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("missing.exe: cannot read"), std::string::npos);
    EXPECT_NE(outcome.err.find("plain.exe: no icons found"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.path() / "out/tool.exe/3.ico"));
}

TEST_F(Cli, ShortcutsAreFollowedToTheirTargets) {
    std::string module = Module("tool.exe");
    std::string link = dir.Write("tool.LNK", ShortcutToLocalPath(module));
    std::string chain = dir.Write("chain.lnk", ShortcutToLocalPath(link));
    std::string nowhere = dir.Write("nowhere.lnk", ShortcutBuilder().IdList({OtherItem()}).Build());
    Outcome outcome = Run({"count", chain, nowhere});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, chain + "\t3\n" + nowhere + "\t0\n");
    EXPECT_EQ(outcome.err, "tavrin-cli: " + nowhere + ": shortcut has no file-system target\n");
    EXPECT_EQ(Run({"extract", "-o", dir.File("out"), link}).status, 0);
    EXPECT_FALSE(ReadFileBytes(dir.File("out/2.ico")).empty());
}

TEST_F(Cli, ExtractIntoAFolderThatCannotBeMadeFails) {
    std::string blocker = dir.Write("file", {1});
    Outcome outcome = Run({"extract", "-o", blocker + "/out", Module("tool.exe")});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("cannot write"), std::string::npos);
}

TEST_F(Cli, ConvertPassesKeyAndCursorToTheConverters) {
    std::string bitmap = Bitmap("pic.bmp");
    struct Case {
        std::vector<std::string> options;
        bool compat;
        ConversionOptions conversion;
    };
    const std::vector<Case> cases = {
        {{}, false, {}},
        {{"--compat"}, true, {}},
        {{"--key", "FF0000"}, false, {.transparentColor = 0x0000FF}},
        {{"--compat", "--cursor", "300,7", "--key", "#000000"},
         true,
         {.transparentColor = 0, .asCursor = true, .hotspotX = 300, .hotspotY = 7}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.options));
        std::vector<std::string> args = {"convert"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(bitmap);
        args.push_back(dir.File("out.ico"));
        Outcome outcome = Run(args);
        EXPECT_EQ(outcome.status, 0) << outcome.err;
        ByteBuffer expected;
        ASSERT_TRUE(c.compat ? BmpToIcoCompat(ReadFileBytes(bitmap), expected, c.conversion)
                             : BmpToIcoDirect(ReadFileBytes(bitmap), expected, c.conversion));
        EXPECT_EQ(ReadFileBytes(dir.File("out.ico")), expected);
    }
}

TEST_F(Cli, ConvertRefusesWhatTheConverterCannotTakeAndKeepsTheOutput) {
    BmpImage eightBit;
    eightBit.width = 4;
    eightBit.height = 2;
    eightBit.bitCount = 8;
    eightBit.palette = {0x000000, 0xFFFFFF};
    eightBit.clrUsed = 2;
    std::string bitmap = dir.Write("pic.bmp", BuildBmp(eightBit));
    std::string out = dir.Write("out.ico", {9, 9, 9});
    Outcome outcome = Run({"convert", bitmap, out});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("cannot convert"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(out), (ByteBuffer{9, 9, 9}));
    EXPECT_EQ(Run({"convert", "--compat", bitmap, out}).status, 0);
}

// A terminal gets a progress line per source, rewritten in place and cleared before messages and
// at the end; a single source gets none.
TEST_F(Cli, ProgressLineOnlyOnATerminalAndOnlyForSeveralSources) {
    std::string module = Module("tool.exe");
    std::string missing = dir.File("missing.exe");
    const std::vector<std::string> several = {"count", module, missing};
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(several, out, err, true), 1);
    EXPECT_EQ(err.str(), "\r[1/2] " + module + "\x1b[K\r[2/2] " + missing + "\x1b[K\r\x1b[K" +
                             "tavrin-cli: " + missing + ": cannot read\n");

    const std::vector<std::string> one = {"count", module};
    std::ostringstream quiet;
    EXPECT_EQ(RunCli(one, out, quiet, true), 0);
    EXPECT_EQ(quiet.str(), "");
}

}  // namespace
}  // namespace tavrin
