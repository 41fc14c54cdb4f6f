#include "platform/file_ini.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/exe_dir.h"

namespace ulz {
namespace {

namespace fs = std::filesystem;

// The file's bytes; empty when it is not a regular file.
std::string slurp(const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

mode_t modeOf(const std::string& path) {
    struct stat st;
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Root passes every permission check. Changing this thread's file-system uid
// away from 0 drops those capabilities for file access, so that a refused
// write can be seen even when the tests run as root.
class AsNobody {
public:
    AsNobody() : active_(::geteuid() == 0) {
        if (!active_) return;
        ::setfsuid(65534);
        // setfsuid() answers with the previous value: asking again shows the change.
        EXPECT_EQ(::setfsuid(65534), 65534);
    }
    ~AsNobody() {
        if (active_) ::setfsuid(0);
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;

private:
    bool active_;
};

class FileIniTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string templ = (fs::temp_directory_path() / "ulz_ini_XXXXXX").string();
        ASSERT_NE(::mkdtemp(templ.data()), nullptr);
        dir_ = templ;
        // Reachable by the unprivileged user of AsNobody.
        fs::permissions(dir_, fs::perms(0755));
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (const auto& entry : fs::recursive_directory_iterator(dir_, ec)) {
            if (entry.symlink_status(ec).type() == fs::file_type::directory) {
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
            }
        }
        fs::remove_all(dir_, ec);
    }

    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};

TEST_F(FileIniTest, MissingFileGivesDefaultsAndIsNotCreatedByReading) {
    const FileIni ini(file("perso.ini"));
    EXPECT_EQ(ini.readString("ping", "hote", "defaut"), "defaut");
    EXPECT_EQ(ini.readInteger("ping", "taille", 32), 32);
    EXPECT_FALSE(fs::exists(file("perso.ini")));
}

TEST_F(FileIniTest, WriteCreatesTheFileAtOnceAndOnlyIt) {
    FileIni ini(file("perso.ini"));
    ini.writeString("Ping", "Hote", "exemple.fr");
    ini.writeInteger("Ping", "Taille", 64);
    EXPECT_EQ(slurp(file("perso.ini")), "[Ping]\r\nHote=exemple.fr\r\nTaille=64\r\n");
    EXPECT_EQ(namesIn(dir_), std::set<std::string>{"perso.ini"});
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(modeOf(file("perso.ini")), 0666 & ~mask);
}

TEST_F(FileIniTest, EveryReadSeesTheFileAsItIsNow) {
    const FileIni ini(file("perso.ini"));
    spit(file("perso.ini"), "[ping]\ntaille=0x10\n");
    EXPECT_EQ(ini.readInteger("PING", "Taille", 0), 16);
    spit(file("perso.ini"), "[ping]\ntaille=20\n");
    EXPECT_EQ(ini.readInteger("PING", "Taille", 0), 20);
}

TEST_F(FileIniTest, RelativePathIsMadeFull) {
    const fs::path before = fs::current_path();
    fs::current_path(dir_);
    const FileIni ini("perso.ini");
    fs::current_path(before);
    EXPECT_EQ(ini.path(), file("perso.ini"));
}

TEST_F(FileIniTest, WriteReplacesTheFileWholeAndKeepsItsMode) {
    const std::string path = file("perso.ini");
    spit(path, "[ping]\r\nhote=a\r\n; note\r\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    // A reader that opened the old file keeps seeing all of it: the new
    // content goes to another file that then takes the name.
    std::ifstream earlyReader(path, std::ios::binary);

    FileIni ini(path);
    ini.writeString("ping", "hote", "b");

    EXPECT_EQ(slurp(path), "[ping]\r\nhote=b\r\n; note\r\n");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlyReader), {}),
              "[ping]\r\nhote=a\r\n; note\r\n");
    EXPECT_EQ(modeOf(path), 0640);
    EXPECT_EQ(namesIn(dir_), std::set<std::string>{"perso.ini"});
}

TEST_F(FileIniTest, WriteThroughSymlinkReachesTheRealFile) {
    fs::create_directory(file("reel"));
    spit(file("reel/perso.ini"), "[ping]\nhote=a\n");
    fs::create_symlink("reel/perso.ini", file("lien.ini"));
    fs::create_symlink("reel/absent.ini", file("pendant.ini"));

    FileIni(file("lien.ini")).writeString("ping", "hote", "b");
    EXPECT_TRUE(fs::is_symlink(file("lien.ini")));
    EXPECT_EQ(slurp(file("reel/perso.ini")), "[ping]\nhote=b\n");

    // A link to a missing file: the file is created where the link points.
    FileIni(file("pendant.ini")).writeString("ping", "hote", "c");
    EXPECT_TRUE(fs::is_symlink(file("pendant.ini")));
    EXPECT_EQ(slurp(file("reel/absent.ini")), "[ping]\r\nhote=c\r\n");
    EXPECT_EQ(namesIn(file("reel")), (std::set<std::string>{"absent.ini", "perso.ini"}));
}

// ---- refused writes ----

struct RefusedCase {
    std::string name;
    // Prepares the folder `dir` and returns the path to write to, or nothing
    // when the case cannot be set up here.
    std::function<std::string(const std::string& dir)> setUp;
    bool asNobody;
};

void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<RefusedCase> refusedCases() {
    return {
        {"ReadOnlyFolder",
         [](const std::string& dir) {
             // The file itself could be written: only the folder refuses.
             spit(dir + "/perso.ini", "[ping]\r\nhote=a\r\n");
             fs::permissions(dir + "/perso.ini", fs::perms(0666));
             fs::permissions(dir, fs::perms(0555));
             return dir + "/perso.ini";
         },
         true},
        {"ReadOnlyFolderNoFile",
         [](const std::string& dir) {
             fs::permissions(dir, fs::perms(0555));
             return dir + "/perso.ini";
         },
         true},
        {"ReadOnlyFileInWritableFolder",
         [](const std::string& dir) {
             spit(dir + "/perso.ini", "[ping]\r\nhote=a\r\n");
             fs::permissions(dir + "/perso.ini", fs::perms(0444));
             fs::permissions(dir, fs::perms(0777));
             return dir + "/perso.ini";
         },
         true},
        {"UnreadableFile",
         [](const std::string& dir) {
             // Writable but not readable: its other settings would be lost.
             spit(dir + "/perso.ini", "[ping]\r\nhote=a\r\n");
             fs::permissions(dir + "/perso.ini", fs::perms(0222));
             fs::permissions(dir, fs::perms(0777));
             return dir + "/perso.ini";
         },
         true},
        {"StickyFolderFileOfAnotherUser",
         [](const std::string& dir) -> std::string {
             // The file can be opened for writing and a temporary file can be
             // made, but rename() is refused: the temporary file must go.
             if (::geteuid() != 0) return {};  // needs a file owned by someone else
             spit(dir + "/perso.ini", "[ping]\r\nhote=a\r\n");
             fs::permissions(dir + "/perso.ini", fs::perms(0666));
             fs::permissions(dir, fs::perms(01777));
             return dir + "/perso.ini";
         },
         true},
        {"TargetIsAFolder",
         [](const std::string& dir) {
             fs::create_directory(dir + "/perso.ini");
             return dir + "/perso.ini";
         },
         false},
        {"MissingFolder", [](const std::string& dir) { return dir + "/absent/perso.ini"; }, false},
        {"SymlinkLoop",
         [](const std::string& dir) {
             fs::create_symlink("b.ini", dir + "/a.ini");
             fs::create_symlink("a.ini", dir + "/b.ini");
             return dir + "/a.ini";
         },
         false},
    };
}

class FileIniRefused : public FileIniTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(FileIniRefused, ThrowsAndLeavesTheFolderAsItWas) {
    const RefusedCase& c = GetParam();
    const std::string path = c.setUp(dir_);
    if (path.empty()) GTEST_SKIP() << "needs root";
    const std::string before = slurp(path);
    const std::set<std::string> namesBefore = namesIn(dir_);

    FileIni ini(path);
    {
        AsNobody guard;
        try {
            ini.writeString("ping", "hote", "b");
            ADD_FAILURE() << "the write was not refused";
        } catch (const IniWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "Impossible d'écrire dans " + path);
        }
    }
    EXPECT_EQ(slurp(path), before);
    EXPECT_EQ(namesIn(dir_), namesBefore);
}

INSTANTIATE_TEST_SUITE_P(Cases, FileIniRefused, ::testing::ValuesIn(refusedCases()),
                         [](const auto& info) { return info.param.name; });

// ---- damaged and large files ----

struct ContentCase {
    std::string name;
    std::function<std::string()> make;
    std::string expectedHote;  // "-" when the default is expected
};

void PrintTo(const ContentCase& c, std::ostream* os) {
    *os << c.name;
}

std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

std::string manyLines(std::size_t bytes, const std::string& line) {
    std::string out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes) out += line;
    return out;
}

std::vector<ContentCase> contentCases() {
    using namespace std::string_literals;
    constexpr std::size_t k10MB = 10 * 1024 * 1024;
    return {
        {"RandomBytes", [] { return randomBytes(64 * 1024, 7); }, "-"},
        {"Nuls", [] { return std::string(4096, '\0'); }, "-"},
        {"Garbage10MB", [] { return manyLines(k10MB, "]]== [[x\r\0;==[\n"s); }, "-"},
        {"Unterminated10MBLine", [] { return "[ping" + std::string(k10MB, 'x'); }, "-"},
        {"Valid10MBKeyAtEnd",
         [] { return manyLines(k10MB, "[autre]\r\nhote=x\r\n") + "[ping]\r\nHote=exemple.fr\r\n"; },
         "exemple.fr"},
        {"RandomBytesThenSection",
         [] { return randomBytes(64 * 1024, 8) + "\n[ping]\nhote=exemple.fr\n"; }, "exemple.fr"},
    };
}

class FileIniContent : public FileIniTest, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(FileIniContent, ReadsWithoutFaultAndWritesOnTop) {
    const ContentCase& c = GetParam();
    const std::string path = file("perso.ini");
    const std::string bytes = c.make();
    spit(path, bytes);

    FileIni ini(path);
    EXPECT_EQ(ini.readString("ping", "hote", "-"), c.expectedHote);
    EXPECT_EQ(ini.readInteger("ping", "taille", 32), 32);

    // A write keeps everything that was there and adds the value.
    ini.writeInteger("ping", "taille", 64);
    EXPECT_EQ(ini.readInteger("ping", "taille", 32), 64);
    const std::string after = slurp(path);
    EXPECT_GT(after.size(), bytes.size());
    EXPECT_EQ(namesIn(dir_), std::set<std::string>{"perso.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, FileIniContent, ::testing::ValuesIn(contentCases()),
                         [](const auto& info) { return info.param.name; });

TEST_F(FileIniTest, FolderOrFifoInPlaceOfTheFileGivesDefaults) {
    fs::create_directory(file("dossier.ini"));
    ASSERT_EQ(::mkfifo(file("tube.ini").c_str(), 0644), 0);
    EXPECT_EQ(FileIni(file("dossier.ini")).readString("ping", "hote", "-"), "-");
    EXPECT_EQ(FileIni(file("tube.ini")).readString("ping", "hote", "-"), "-");
}

TEST(ExecutableDir, IsTheFolderOfThisTestProgram) {
    const std::string dir = executableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(fs::exists(dir + "ulz_platform_tests"));
}

}  // namespace
}  // namespace ulz
