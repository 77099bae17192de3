// The help-document archive unpacker.
//
// Each input runs in a fresh case folder:
//   case/in.zip          the archive
//   case/elsewhere/      a folder outside the target, reachable through a link
//   case/outer/inner/    the target, sometimes holding files beforehand, a
//                        protected file and a link to ../../elsewhere
// Whatever the archive holds, nothing may appear outside case/outer/inner (the
// case folder keeps exactly its three entries, outer holds only inner,
// elsewhere stays empty), no link may be created, a protected file keeps its
// bytes, no staging folder is left behind, a refused archive leaves the
// target exactly as it was, and an accepted one leaves every entry it reports
// as a file holding the bytes of the last entry of that name.
//
// Input: a control byte; bit 0 set builds the archive from the input (entry
// names from a small vocabulary of path pieces, data, link flags), clear
// takes the rest of the input as the archive's bytes. Bit 1: the target
// exists beforehand with files, the protected file and the link.
#include "FuzzSupport.h"
#include "online/DocArchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <zip.h>

using kzo::fuzz::Input;
namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string name;
    std::string data;
    bool link = false;
};

std::vector<Entry> entriesFrom(Input& in)
{
    static const char* const pieces[] = {"a", "b", "doc", "link", "app.conf", "keep.txt", "..", ".", "/", "\\",
        "C:", "index.html", ".x", "inner", "~", " "};
    std::vector<Entry> entries;
    const int count = 1 + in.byte() % 6;
    for (int i = 0; i < count && !in.rest().empty(); ++i) {
        Entry e;
        const int parts = in.byte() % 8;
        for (int p = 0; p < parts; ++p) {
            const uint8_t b = in.byte();
            if (b >= 0xF0) {
                // Now and then any byte at all; not NUL, the archive writer takes C strings.
                const uint8_t any = in.byte();
                e.name += static_cast<char>(any == 0 ? 'z' : any);
            } else {
                e.name += pieces[b % std::size(pieces)];
            }
        }
        const uint8_t flags = in.byte();
        e.link = (flags & 1) != 0;
        const size_t n = flags >> 2;
        for (size_t k = 0; k < n && !in.rest().empty(); ++k)
            e.data += static_cast<char>(in.byte());
        entries.push_back(std::move(e));
    }
    return entries;
}

bool writeZip(const std::string& path, const std::vector<Entry>& entries)
{
    zipFile zf = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    if (!zf)
        return false;
    bool ok = true;
    for (const Entry& e : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_year = 2024;
        info.tmz_date.tm_mday = 1;
        info.external_fa = static_cast<uLong>(e.link ? (S_IFLNK | 0777) : (S_IFREG | 0644)) << 16;
        ok = ok
            && zipOpenNewFileInZip4_64(zf, e.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                       Z_BEST_SPEED, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                       (3u << 8) | 20u, 0, 0)
                == ZIP_OK;
        if (ok && !e.data.empty())
            ok = zipWriteInFileInZip(zf, e.data.data(), static_cast<unsigned>(e.data.size())) == ZIP_OK;
        zipCloseFileInZip(zf);
    }
    return zipClose(zf, nullptr) == ZIP_OK && ok;
}

std::string slurp(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Every path under root (relative), with its kind and bytes or link target.
std::map<std::string, std::string> tree(const fs::path& root)
{
    std::map<std::string, std::string> out;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(root, ec)))
        return out;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::none, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path rel = it->path().lexically_relative(root);
        const auto st = it->symlink_status();
        if (fs::is_symlink(st))
            out[rel.string()] = "L:" + fs::read_symlink(it->path()).string();
        else if (fs::is_directory(st))
            out[rel.string()] = "D";
        else if (fs::is_regular_file(st))
            out[rel.string()] = "F:" + slurp(it->path());
        else
            out[rel.string()] = "?";
    }
    KZO_CHECK(!ec);
    return out;
}

// The path an entry name lands on ("a//b" is "a/b").
std::string landing(const QString& name)
{
    return fs::path(name.toStdString()).lexically_normal().string();
}

std::vector<std::string> names(const fs::path& dir)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in({data, size});
    const uint8_t control = in.byte();
    const fs::path caseDir = fs::path(kzo::fuzz::scratchDir()) / "case";
    fs::remove_all(caseDir);
    fs::create_directories(caseDir / "elsewhere");
    fs::create_directories(caseDir / "outer");
    const fs::path target = caseDir / "outer" / "inner";
    const fs::path zipPath = caseDir / "in.zip";

    std::vector<Entry> entries;
    if (control & 1) {
        entries = entriesFrom(in);
        if (!writeZip(zipPath.string(), entries))
            return 0; // a name the writer refuses
    } else {
        kzo::fuzz::writeWhole(zipPath.string(), in.rest());
    }

    QStringList protectedFiles;
    if (control & 2) {
        fs::create_directories(target / "doc");
        std::ofstream(target / "keep.txt") << "old keep";
        std::ofstream(target / "app.conf") << "settings";
        std::ofstream(target / "doc" / "index.html") << "old index";
        fs::create_directory_symlink("../../elsewhere", target / "link");
        protectedFiles << QString::fromStdString((target / "app.conf").string());
    }
    const auto before = tree(target);

    QString error;
    QStringList written;
    const bool ok = kzo::online::unpackArchive(QString::fromStdString(zipPath.string()),
                                               QString::fromStdString(target.string()), protectedFiles, &error,
                                               &written);

    // Nothing outside the target.
    KZO_CHECK(names(caseDir) == (std::vector<std::string>{"elsewhere", "in.zip", "outer"}));
    KZO_CHECK(names(caseDir / "outer") == std::vector<std::string>{"inner"} || names(caseDir / "outer").empty());
    KZO_CHECK(names(caseDir / "elsewhere").empty());

    const auto after = tree(target);
    if (std::getenv("KZO_FUZZ_VERBOSE")) {
        std::fprintf(stderr, "unpack %s: %s\n", ok ? "ok" : "refused", error.toUtf8().constData());
        for (const Entry& e : entries)
            std::fprintf(stderr, "  entry \"%s\"%s %zu bytes\n", e.name.c_str(), e.link ? " (link)" : "", e.data.size());
        for (const QString& w : written)
            std::fprintf(stderr, "  written \"%s\"\n", w.toUtf8().constData());
        for (const auto& [path, what] : before)
            std::fprintf(stderr, "  before %s %s\n", path.c_str(), what.c_str());
        for (const auto& [path, what] : after)
            std::fprintf(stderr, "  after  %s %s\n", path.c_str(), what.c_str());
    }
    for (const auto& [path, what] : after) {
        // The staging folder (".unpack-" and six characters) is gone.
        const bool staging = path.starts_with(".unpack-") && path.size() == 14 && what == "D";
        KZO_CHECK(!staging || before.count(path));
        if (what.starts_with("L:"))
            KZO_CHECK(path == "link" && before.count(path) && before.at(path) == what);
    }
    if (control & 2)
        KZO_CHECK(after.count("app.conf") && after.at("app.conf") == "F:settings");

    if (!ok) {
        KZO_CHECK(!error.isEmpty());
        KZO_CHECK(after == before);
    } else {
        std::set<std::string> landed;
        for (const QString& w : written) {
            KZO_CHECK(kzo::online::isSafeEntryName(w));
            const std::string name = landing(w);
            landed.insert(name);
            if (!after.count(name) || !after.at(name).starts_with("F:"))
                std::fprintf(stderr, "written \"%s\" is not a file in the target\n", name.c_str());
            KZO_CHECK(after.count(name) && after.at(name).starts_with("F:"));
            if (control & 1) {
                const Entry* last = nullptr;
                for (const Entry& e : entries)
                    if (landing(QString::fromStdString(e.name)) == name)
                        last = &e;
                if (!last || last->link)
                    std::fprintf(stderr, "written \"%s\" matches no file entry\n", name.c_str());
                KZO_CHECK(last && !last->link);
                KZO_CHECK(after.at(name) == "F:" + last->data);
            }
        }
        // Files that were there and not replaced keep their bytes.
        for (const auto& [path, what] : before)
            if (!landed.count(path) && what.starts_with("F:"))
                KZO_CHECK(after.count(path) && after.at(path) == what);
    }
    fs::remove_all(caseDir);
    return 0;
}
