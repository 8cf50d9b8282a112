#include "cli/cli.h"

#include <sys/stat.h>

#include <charconv>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "app/find_text.h"
#include "bitmap/converters.h"
#include "icons/extract.h"
#include "icons/ico_file.h"
#include "icons/module_reader.h"
#include "icons/source_names.h"
#include "platform/files.h"
#include "platform/pe_resources.h"
#include "platform/shell_links.h"

namespace tavrin {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVersion = "tavrin-cli 0.1.0";

constexpr std::string_view kUsage =
    R"(Usage: tavrin-cli count FILE...
       tavrin-cli list FILE
       tavrin-cli extract [-o DIR] [--compat] FILE...
       tavrin-cli convert [--compat] [--key RRGGBB] [--cursor X,Y] IN.bmp OUT.ico
       tavrin-cli -h | --help | --version

Takes the icons out of programs and libraries (.exe, .dll, .icl) and icon files (.ico),
converts bitmaps (.bmp) into icons, and follows Windows shortcuts (.lnk) to their targets.
Files are read as data only; nothing in them is ever run.

Commands:
  count    print each file, a tab, and the number of icons it holds
  list     print one line per icon group: its number, its resource name, its images
  extract  write every icon group as 1.ico, 2.ico, ... into DIR (default: the current
           folder); with several files, into one subfolder per file, named after it.
           A bitmap is converted into 1.ico.
  convert  turn a bitmap into a 24-bit icon (or cursor) with one transparent colour

Options:
  -o DIR        the output folder of extract; made when missing
  --compat      convert bitmaps through the bitmap reader, which takes 1- to 32-bit
                bitmaps with colour tables, instead of reading 24-bit rows directly
  --key RRGGBB  the transparent colour in hexadecimal (default FFFFFF, white)
  --cursor X,Y  write a cursor with its hotspot at column X, row Y instead of an icon

Exit status: 0 when everything asked for was done, 1 when some file failed,
2 for a usage error.
)";

constexpr int kMaxShortcutDepth = 8;

// Messages about files, kept apart from a progress line drawn on a terminal.
class Reporter {
  public:
    Reporter(std::ostream& err, bool terminal, std::size_t total)
        : err_(err), progress_(terminal && total > 1), total_(total) {}
    ~Reporter() { ClearProgress(); }

    void Progress(std::size_t done, const std::string& name) {
        if (!progress_) return;
        err_ << "\r[" << done << "/" << total_ << "] " << name << "\x1b[K" << std::flush;
        drawn_ = true;
    }
    void Fail(const std::string& file, const std::string& what) {
        ClearProgress();
        err_ << "tavrin-cli: " << file << ": " << what << "\n";
        failed_ = true;
    }
    bool failed() const { return failed_; }

  private:
    void ClearProgress() {
        if (drawn_) err_ << "\r\x1b[K" << std::flush;
        drawn_ = false;
    }
    std::ostream& err_;
    bool progress_;
    std::size_t total_;
    bool drawn_ = false;
    bool failed_ = false;
};

// Follows shortcuts the way the window's path field does: a name containing ".lnk" that is a
// shortcut file is replaced by its target, up to a bound on nested shortcuts.
std::optional<std::string> FollowShortcuts(const std::string& given, std::string& error) {
    std::string path = given;
    for (int depth = 0; FindText(path, ".lnk") && IsShortcutFile(path); ++depth) {
        if (depth == kMaxShortcutDepth) {
            error = "too many nested shortcuts";
            return std::nullopt;
        }
        std::string target = ResolveShortcut(path);
        if (target.empty()) {
            error = "shortcut has no file-system target";
            return std::nullopt;
        }
        path = target;
    }
    return path;
}

// The source to read for a file named on the command line, or std::nullopt after a message.
std::optional<std::string> OpenableSource(const std::string& given, Reporter& reporter) {
    std::string error;
    auto path = FollowShortcuts(given, error);
    if (!path) {
        reporter.Fail(given, error);
        return std::nullopt;
    }
    if (!ReadOnlyFile::Open(*path)) {
        reporter.Fail(given, *path == given ? "cannot read" : "cannot read target " + *path);
        return std::nullopt;
    }
    return path;
}

std::string NameText(const ResourceName& name) {
    if (const auto* text = std::get_if<std::string>(&name)) return *text;
    std::string text = "#";
    text += std::to_string(std::get<std::uint16_t>(name));
    return text;
}

std::string DescribeImages(const IconGroup& group) {
    std::ostringstream line;
    for (std::size_t i = 0; i < group.images.size(); ++i) {
        const IconImage& image = group.images[i];
        if (i > 0) line << ", ";
        switch (KindOf(image)) {
            case ImageKind::Dib:
            case ImageKind::Png:
                line << image.width << "x" << image.height << " " << image.bitsPerPixel << "-bit "
                     << (KindOf(image) == ImageKind::Png ? "PNG" : "DIB") << " ";
                break;
            case ImageKind::Other:
                line << "unknown ";
                break;
        }
        line << image.dataSize << " bytes";
    }
    return line.str();
}

// The file's identity, which changes whenever a write renames a new file over it.
std::optional<std::pair<dev_t, ino_t>> FileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return std::make_pair(info.st_dev, info.st_ino);
}

struct Options {
    std::vector<std::string> operands;
    std::optional<std::string> outputDir;
    bool compat = false;
    std::optional<std::uint32_t> key;
    std::optional<std::pair<std::int32_t, std::int32_t>> cursor;
};

std::optional<std::uint32_t> ParseKey(std::string_view text) {
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::uint32_t rgb = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + 6, rgb, 16);
    if (error != std::errc() || end != text.data() + 6) return std::nullopt;
    std::uint32_t red = rgb >> 16, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    return red | (green << 8) | (blue << 16);
}

std::optional<std::int32_t> ParseInt(std::string_view text) {
    std::int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::pair<std::int32_t, std::int32_t>> ParseHotspot(std::string_view text) {
    auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    auto x = ParseInt(text.substr(0, comma));
    auto y = ParseInt(text.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    return std::make_pair(*x, *y);
}

int UsageError(std::ostream& err, const std::string& what) {
    err << "tavrin-cli: " << what << "\nTry 'tavrin-cli --help' for more information.\n";
    return kExitUsage;
}

// Parses the options a command allows; std::nullopt after a usage message.
std::optional<Options> ParseOptions(std::span<const std::string> args, bool allowOutput,
                                    bool allowConversion, std::ostream& err) {
    Options options;
    bool operandsOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string* {
            if (i + 1 >= args.size()) return nullptr;
            return &args[++i];
        };
        if (operandsOnly || arg.empty() || arg[0] != '-' || arg == "-") {
            options.operands.push_back(arg);
        } else if (arg == "--") {
            operandsOnly = true;
        } else if (allowOutput && (arg == "-o" || arg == "--output")) {
            const std::string* dir = value();
            if (!dir) return UsageError(err, arg + " needs a folder"), std::nullopt;
            options.outputDir = *dir;
        } else if ((allowOutput || allowConversion) && arg == "--compat") {
            options.compat = true;
        } else if (allowConversion && arg == "--key") {
            const std::string* text = value();
            options.key = text ? ParseKey(*text) : std::nullopt;
            if (!options.key)
                return UsageError(err, "--key needs a colour as RRGGBB"), std::nullopt;
        } else if (allowConversion && arg == "--cursor") {
            const std::string* text = value();
            options.cursor = text ? ParseHotspot(*text) : std::nullopt;
            if (!options.cursor)
                return UsageError(err, "--cursor needs a hotspot as X,Y"), std::nullopt;
        } else {
            UsageError(err, "unknown option '" + arg + "'");
            return std::nullopt;
        }
    }
    return options;
}

int Count(const Options& options, std::ostream& out, std::ostream& err, bool terminal) {
    Reporter reporter(err, terminal, options.operands.size());
    for (std::size_t i = 0; i < options.operands.size(); ++i) {
        const std::string& file = options.operands[i];
        reporter.Progress(i + 1, file);
        auto source = OpenableSource(file, reporter);
        out << file << '\t' << (source ? CountIcons(*source) : 0) << '\n';
    }
    return reporter.failed() ? kExitSourceFailed : kExitOk;
}

int List(const Options& options, std::ostream& out, std::ostream& err) {
    const std::string& file = options.operands.front();
    Reporter reporter(err, false, 1);
    auto source = OpenableSource(file, reporter);
    if (!source) return kExitSourceFailed;

    std::string kind = LastThreeLowered(*source);
    if (kind == "ico") {
        IconGroupPtr group = ReadIcoFile(*source);
        if (!group) {
            reporter.Fail(file, "not an icon file");
            return kExitSourceFailed;
        }
        out << "1\t-\t" << DescribeImages(*group) << '\n';
        return kExitOk;
    }
    if (kind != "exe" && kind != "dll" && kind != "icl") {
        reporter.Fail(
            file, HasBitmapEnding(*source)
                      ? "a bitmap holds no icon groups; 'extract' or 'convert' turns it into one"
                      : "not a supported source (.exe, .dll, .icl, .ico)");
        return kExitSourceFailed;
    }
    auto module = ResourceModule::Open(*source);
    if (!module) {
        reporter.Fail(file, "not a PE module");
        return kExitSourceFailed;
    }
    std::vector<ResourceName> names;
    bool complete = module->EnumResourceNames(kResourceTypeGroupIcon, [&](const ResourceName& n) {
        names.push_back(n);
        return true;
    });
    if (!complete || names.empty()) {
        reporter.Fail(file, "no icons found");
        return kExitSourceFailed;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        out << i + 1 << '\t' << NameText(names[i]) << '\t';
        if (IconGroupPtr group = ReadModuleIconGroup(*source, names[i])) {
            out << DescribeImages(*group) << '\n';
        } else {
            out << "unreadable\n";
            reporter.Fail(file, "icon group " + std::to_string(i + 1) + " cannot be read");
        }
    }
    return reporter.failed() ? kExitSourceFailed : kExitOk;
}

bool Convert(const ByteBuffer& bitmap, ByteBuffer& icon, const Options& options) {
    ConversionOptions conversion;
    conversion.transparentColor = options.key;
    if (options.cursor) {
        conversion.asCursor = true;
        conversion.hotspotX = options.cursor->first;
        conversion.hotspotY = options.cursor->second;
    }
    return options.compat ? BmpToIcoCompat(bitmap, icon, conversion)
                          : BmpToIcoDirect(bitmap, icon, conversion);
}

std::string ConversionFailure(bool compat) {
    return compat ? "cannot convert: not a bitmap the reader understands, or larger than 255 x 255"
                  : "cannot convert: needs an uncompressed 24-bit bitmap of at most 255 x 255 "
                    "(try --compat)";
}

// One folder per source when there are several, named after the source file and never leading
// outside the output folder.
std::vector<fs::path> OutputFolders(const fs::path& base, const std::vector<std::string>& files) {
    std::vector<fs::path> folders;
    if (files.size() == 1) return {base};
    std::set<std::string> used;
    for (const std::string& file : files) {
        std::string name = fs::path(file).filename().string();
        if (name.empty() || name == "." || name == "..") name = "source";
        std::string unique = name;
        for (int n = 2; !used.insert(unique).second; ++n) unique = name + "-" + std::to_string(n);
        folders.push_back(base / unique);
    }
    return folders;
}

void ExtractOne(const std::string& file, const fs::path& folder, const Options& options,
                Reporter& reporter, std::ostream& out) {
    auto source = OpenableSource(file, reporter);
    if (!source) return;
    std::int32_t count = CountIcons(*source);
    if (count <= 0) {
        reporter.Fail(file, "no icons found");
        return;
    }
    std::error_code error;
    fs::create_directories(folder, error);
    if (!AtomicFileWriter((folder / ".tavrin-cli").string()).ok()) {
        reporter.Fail(file, "cannot write to " + folder.string());
        return;
    }

    bool bitmap = HasBitmapEnding(*source);
    std::int32_t written = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        std::string target = (folder / (std::to_string(i) + ".ico")).string();
        auto before = FileIdentity(target);
        ExtractIconGroup(*source, 0, target, i);
        auto after = FileIdentity(target);
        if (after && after != before) {
            ++written;
        } else if (!bitmap) {
            reporter.Fail(file, "icon group " + std::to_string(i) + " cannot be read or written");
        }
    }
    if (bitmap) {
        ByteBuffer icon;
        if (!Convert(ReadFileBytes(*source), icon, options)) {
            reporter.Fail(file, ConversionFailure(options.compat));
            return;
        }
        if (!WriteFileAtomically((folder / "1.ico").string(), icon)) {
            reporter.Fail(file, "cannot write " + (folder / "1.ico").string());
            return;
        }
        written = 1;
    }
    out << file << ": " << written << (written == 1 ? " icon" : " icons") << " written to "
        << folder.string() << '\n';
}

int Extract(const Options& options, std::ostream& out, std::ostream& err, bool terminal) {
    fs::path base = options.outputDir.value_or(".");
    auto folders = OutputFolders(base, options.operands);
    Reporter reporter(err, terminal, options.operands.size());
    for (std::size_t i = 0; i < options.operands.size(); ++i) {
        reporter.Progress(i + 1, options.operands[i]);
        ExtractOne(options.operands[i], folders[i], options, reporter, out);
    }
    return reporter.failed() ? kExitSourceFailed : kExitOk;
}

int ConvertCommand(const Options& options, std::ostream& err) {
    const std::string& in = options.operands[0];
    const std::string& outPath = options.operands[1];
    Reporter reporter(err, false, 1);
    ByteBuffer bitmap = ReadFileBytes(in);
    if (bitmap.empty()) {
        reporter.Fail(in, "cannot read");
        return kExitSourceFailed;
    }
    ByteBuffer icon;
    if (!Convert(bitmap, icon, options)) {
        reporter.Fail(in, ConversionFailure(options.compat));
        return kExitSourceFailed;
    }
    if (!WriteFileAtomically(outPath, icon)) {
        reporter.Fail(outPath, "cannot write");
        return kExitSourceFailed;
    }
    return kExitOk;
}

}  // namespace

int RunCli(std::span<const std::string> args, std::ostream& out, std::ostream& err,
           bool errIsTerminal) {
    if (args.empty()) return UsageError(err, "no command given");
    const std::string& command = args[0];
    if (command == "-h" || command == "--help") {
        out << kUsage;
        return kExitOk;
    }
    if (command == "--version") {
        out << kVersion << '\n';
        return kExitOk;
    }
    auto rest = args.subspan(1);
    if (command == "count" || command == "list") {
        auto options = ParseOptions(rest, false, false, err);
        if (!options) return kExitUsage;
        if (options->operands.empty()) return UsageError(err, command + " needs a file");
        if (command == "list") {
            if (options->operands.size() != 1) return UsageError(err, "list takes one file");
            return List(*options, out, err);
        }
        return Count(*options, out, err, errIsTerminal);
    }
    if (command == "extract") {
        auto options = ParseOptions(rest, true, false, err);
        if (!options) return kExitUsage;
        if (options->operands.empty()) return UsageError(err, "extract needs a file");
        return Extract(*options, out, err, errIsTerminal);
    }
    if (command == "convert") {
        auto options = ParseOptions(rest, false, true, err);
        if (!options) return kExitUsage;
        if (options->operands.size() != 2) {
            return UsageError(err, "convert takes a bitmap and an output file");
        }
        return ConvertCommand(*options, err);
    }
    return UsageError(err, "unknown command '" + command + "'");
}

}  // namespace tavrin
