// The pass on a share, on Windows: which paths take the pass that reads ahead,
// and that pass giving the names of the pass in list order through
// Win32FileSystem.

#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <regex>
#include <set>
#include <thread>
#include <tuple>

#include "pass/stamp_pass.h"
#include "platform/win32/network_path.h"
#include "platform/win32/performance_counter_clock.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/wtf8.h"
#include "windows_test_support.h"

namespace tavrel::win32 {
namespace {

using test::MakeDirectory;
using test::MakeFile;
using test::Names;
using test::TempDir;
using test::UtcSeconds;

TEST(NetworkPath, TellsSharesAndMappedDrivesFromLocalPaths) {
    const DriveTypeOf drives = [](const std::wstring& root) -> unsigned {
        return root == L"Z:\\" ? DRIVE_REMOTE : DRIVE_FIXED;
    };
    const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
        {L"\\\\server\\share\\a.jpg", L"C:\\", true},
        {L"//server/share/a.jpg", L"C:\\", true},
        {L"\\\\?\\unc\\server\\share\\a.jpg", L"C:\\", true},
        {L"\\\\.\\UNC\\server\\share\\a.jpg", L"C:\\", true},
        {L"z:/photos/a.jpg", L"C:\\", true},
        {L"\\\\?\\Z:\\a.jpg", L"C:\\", true},
        {L"C:\\photos\\a.jpg", L"Z:\\", false},
        {L"\\\\.\\PhysicalDrive0", L"Z:\\", false},
        {L"a.jpg", L"Z:\\photos", true},
        {L"..\\..\\a.jpg", L"\\\\server\\share\\photos", true},
        {L"a.jpg", L"C:\\photos", false},
        {L"Z:a.jpg", L"C:\\photos", true},
        {L"C:a.jpg", L"Z:\\photos", false},
    };
    for (const auto& [path, current_folder, remote] : cases)
        EXPECT_EQ(IsOnNetworkDrive(path, current_folder, drives), remote)
            << ToWtf8(path) << " in " << ToWtf8(current_folder);
    TempDir local;
    EXPECT_FALSE(Win32FileSystem().IsSlowAndThreadSafe(local / "a.jpg"));
    EXPECT_TRUE(Win32FileSystem().IsSlowAndThreadSafe("\\\\server\\share\\a.jpg"));
}

// One file through two hard links in two folders, read on two threads at once:
// every read gets the time, the file's one identity and its own folder's,
// though each open of the file refuses the other's.
TEST(Win32FileSystem, ReadsTimesAndIdentitiesOnTwoThreadsAtOnce) {
    TempDir dir;
    MakeDirectory(dir / "a");
    MakeDirectory(dir / "b");
    MakeFile(dir / "a\\1.jpg", UtcSeconds(2011, 9, 14));
    ASSERT_TRUE(::CreateHardLinkW(FromWtf8(dir / "b\\2.jpg").c_str(),
                                  FromWtf8(dir / "a\\1.jpg").c_str(), nullptr));
    Win32FileSystem file_system;
    const auto a = file_system.ReadTimeAndIdentity(dir / "a\\1.jpg");
    const auto b = file_system.ReadTimeAndIdentity(dir / "b\\2.jpg");
    ASSERT_TRUE(a && b && a->file && a->folder && b->folder);
    EXPECT_EQ(a->last_write, UtcSeconds(2011, 9, 14));
    EXPECT_EQ(a->file, b->file);
    EXPECT_NE(a->folder, b->folder);
    EXPECT_EQ(file_system.ReadTimeAndIdentity(dir / "B/.\\2.JPG")->folder, b->folder);
    std::atomic<int> wrong{0};
    auto read = [&](const std::string& path, const TimeReading& expected) {
        for (int i = 0; i < 300; ++i) {
            const auto got = file_system.ReadTimeAndIdentity(path);
            if (!got || got->last_write != expected.last_write || got->file != expected.file ||
                got->folder != expected.folder)
                ++wrong;
        }
    };
    std::thread other(read, dir / "b\\2.jpg", *b);
    read(dir / "a\\1.jpg", *a);
    other.join();
    EXPECT_EQ(wrong, 0);
}

// A small random tree below root and the list of paths a pass gets:
// collisions, names stamped already, folders named like targets, hard links,
// files no stamp can be made for, a missing path, and paths listed twice in
// another spelling (letter case, "/", "\.\"), which only identities tell.
std::vector<std::string> MakeRandomTree(const std::string& root, unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&](std::size_t below) { return random() % below; };
    const std::int64_t times[] = {UtcSeconds(2011, 9, 14, 10), UtcSeconds(2011, 9, 15, 10),
                                  UtcSeconds(1975, 1, 1)};
    std::vector<std::string> list;
    for (unsigned f = 0, folders = 1 + pick(3); f < folders; ++f) {
        const std::string folder = "f" + std::to_string(f) + "\\";
        MakeDirectory(root + "\\" + folder);
        for (unsigned i = 0, files = 2 + pick(8); i < files; ++i) {
            const std::string name = folder + "IMG_" + std::to_string(i) + ".jpg";
            const std::string target =
                folder + (pick(2) ? "20110914_" : "20110915_") + name.substr(3);
            MakeFile(root + "\\" + name, times[pick(40) ? pick(2) : 2], name);
            list.push_back(name);
            if (const auto kind = pick(5); kind == 0) {
                MakeFile(root + "\\" + target, times[pick(2)], target);
                list.push_back(target);
            } else if (kind == 1) {
                MakeDirectory(root + "\\" + target);
            } else if (const std::string link = "f0\\H" + std::to_string(f * 10 + i) + ".jpg";
                       kind == 2 &&
                       ::CreateHardLinkW(FromWtf8(root + "\\" + link).c_str(),
                                         FromWtf8(root + "\\" + name).c_str(), nullptr)) {
                list.push_back(link);
            }
        }
    }
    for (auto n = pick(5); n > 0; --n) {
        std::string path = list[pick(list.size())];
        if (const auto kind = pick(4); kind == 0)
            std::transform(path.begin(), path.end(), path.begin(), ::toupper);
        else if (kind == 1)
            path.replace(2, 1, "/");
        else if (kind == 2)
            path.insert(3, ".\\");
        list.insert(list.begin() + pick(list.size() + 1), path);
    }
    if (pick(100) < 15) list.insert(list.begin() + pick(list.size() + 1), "f0\\MISSING.jpg");
    return list;
}

// What a pass did: how it ended, the list afterwards and every name below
// root with its contents, collision tags blanked.
struct PassRecord {
    PassEnd end;
    std::vector<std::string> list;
    std::multiset<std::string> tree;
};

PassRecord RunPass(const std::string& root, const std::vector<std::string>& relative, unsigned seed,
                   bool ahead) {
    static const std::regex tag(R"(\.[0-9A-Za-z]{6}(\.jpg)?$)", std::regex::icase);
    const auto blanked = [](const std::string& text) {
        return std::regex_replace(text, tag, ".######$1");
    };
    std::vector<std::string> paths;
    for (const auto& path : relative) paths.push_back(root + "\\" + path);
    Win32FileSystem file_system;
    PerformanceCounterClock clock;
    const RegionalFormats formats = RegionalFormats::Reference();
    const StampContext context{file_system, formats, clock};
    PassRecord record;
    std::vector<std::string> after = paths;
    PassEvents events;
    events.renamed = [&](std::size_t at, const std::string&, const std::string& now) {
        after[at] = now;
    };
    const PassPaths pass_paths{paths.size(),
                               [&](std::size_t i) -> const std::string& { return paths[i]; }};
    ReadAhead how;
    how.threads = 1 + seed % 8;
    how.across_folders = 1 + (seed * 7) % 40;
    how.in_one_folder = 1 + seed % 5;
    const int stamp_type = 1 + seed % 2;
    record.end = ahead ? RunStampPassAhead(pass_paths, stamp_type, context, events, how)
                       : RunStampPassInOrder(pass_paths, stamp_type, context, events);
    for (const auto& path : after) record.list.push_back(blanked(path.substr(root.size())));
    for (const auto& folder : Names(root))
        for (const auto& name : Names(root + "\\" + folder)) {
            const std::string path = root + "\\" + folder + "\\" + name;
            record.tree.insert(
                blanked(folder + "\\" + name) +
                (file_system.IsDirectory(path) ? "\\" : " = " + test::ReadFile(path)));
        }
    return record;
}

TEST(StampPassAhead, GivesTheNamesOfThePassInOrderOnRandomTreesOnWindows) {
    int ended_by_a_file = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TempDir in_order, ahead;
        const auto list = MakeRandomTree(in_order.path(), seed);
        ASSERT_EQ(MakeRandomTree(ahead.path(), seed), list);
        const PassRecord expected = RunPass(in_order.path(), list, seed, false);
        const PassRecord got = RunPass(ahead.path(), list, seed, true);
        EXPECT_EQ(got.end.finished, expected.end.finished);
        EXPECT_EQ(!got.end.error, !expected.end.error);
        EXPECT_EQ(got.list, expected.list);
        EXPECT_EQ(got.tree, expected.tree);
        ended_by_a_file += expected.end.error != nullptr;
    }
    // Both ends: passes that stop at a file, and passes that run through.
    EXPECT_GT(ended_by_a_file, 3);
    EXPECT_LT(ended_by_a_file, 37);
}

}  // namespace
}  // namespace tavrel::win32
