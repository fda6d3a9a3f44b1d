// What Tavrel does on each kind of mount, told from mountinfo lines: the
// parser on real lines, and the rename, read-ahead and identities on a test
// folder whose mount a table of the test's own calls one kind or another.

#include "platform/posix/mount_traits.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <utility>

#include "platform/posix/posix_file_system.h"
#include "test_support.h"

namespace tavrel {
namespace {

TEST(MountInfo, ParsesRealLinesAndLeavesOutLinesOfAnotherForm) {
    // Each line's mount as "ID MAJOR:MINOR POINT TYPE", or "" for none.
    const std::pair<const char*, const char*> rows[] = {
        {"35 24 0:31 / /sys/fs/cgroup rw,nosuid,nodev,noexec,relatime - cgroup2 cgroup2 rw",
         "35 0:31 /sys/fs/cgroup cgroup2"},
        {"523 29 0:52 / /mnt/nas rw,relatime shared:310 master:12 - nfs4 nas:/export rw,vers=4.2",
         "523 0:52 /mnt/nas nfs4"},
        {"612 29 8:17 / /media/USB\\040STICK\\134b\\011c\\012 rw,nosuid shared:330 - vfat "
         "/dev/sdb1 rw",
         "612 8:17 /media/USB STICK\\b\tc\n vfat"},
        {"700 32 0:63 / /run/user/1000/gvfs rw,nosuid shared:372 - fuse.gvfsd-fuse gvfsd-fuse rw",
         "700 0:63 /run/user/1000/gvfs fuse.gvfsd-fuse"},
        {"702 29 0:64 / /home/me/nas rw,nosuid shared:380 - fuse.sshfs me@nas:/srv rw,user_id=1000",
         "702 0:64 /home/me/nas fuse.sshfs"},
        {"705 32 0:65 / /run/user/1000/kio-fuse-AbCdEf rw shared:390 - fuse.kio-fuse kio-fuse rw",
         "705 0:65 /run/user/1000/kio-fuse-AbCdEf fuse.kio-fuse"},
        {"710 29 0:66 / /home/me/cloud rw,nosuid shared:400 - fuse.rclone remote: rw",
         "710 0:66 /home/me/cloud fuse.rclone"},
        {"not a mount line", ""},
        {"711 29 0:67 / /x rw shared:1 -", ""},
        {"712 29 0:68 / /y rw shared:1 ext4 /dev/sdc1 rw", ""},
        {"x 29 0:69 / /z rw - ext4 /dev/sdc2 rw", ""},
        {"", ""},
    };
    std::string text;
    std::vector<std::string> expected, parsed;
    for (const auto& [line, mount] : rows) {
        text += std::string(line) + "\n";
        if (*mount) expected.push_back(mount);
    }
    for (const MountEntry& m : ParseMountInfo(text))
        parsed.push_back(std::to_string(m.id) + " " + std::to_string(major(m.device)) + ":" +
                         std::to_string(minor(m.device)) + " " + m.point + " " + m.type);
    EXPECT_EQ(parsed, expected);
}

// A mount table that the test writes; each change is told once.
struct TestMountTable : MountTable {
    std::string text;
    bool changed = true;
    std::string Read() override { return text; }
    bool ChangedSinceAsked() override { return std::exchange(changed, false); }
};

// A file system whose test folder lies on a mount of a type the test
// chooses, mounted at a subfolder of it, with the placeholders its renames
// create counted.
class MountKindTest : public ::testing::Test {
protected:
    MountKindTest()
        : fs_(
              [this](int directory_fd) {
                  RenameSystemCalls calls = KernelRenameSystemCallsIn(directory_fd);
                  calls.rename_no_replace = [this, rename = calls.rename_no_replace](
                                                const char* from, const char* to) {
                      ++no_replace_asked_;
                      return refuse_no_replace_ ? EINVAL : rename(from, to);
                  };
                  calls.create_exclusive = [this,
                                            create = calls.create_exclusive](const char* path) {
                      ++placeholders_;
                      return create(path);
                  };
                  return calls;
              },
              std::unique_ptr<MountTable>(table_)) {}

    // The test folder's mount, called a mount of that type at the test
    // folder's subfolder point from now on.
    void MountAs(const std::string& type, const std::string& point) {
        test::MakeDirectory(dir_ / point);
        struct statx status;
        ASSERT_EQ(::statx(AT_FDCWD, dir_.path().c_str(), 0, STATX_MNT_ID, &status), 0);
        table_->text = std::to_string(status.stx_mnt_id) + " 1 " +
                       std::to_string(status.stx_dev_major) + ":" +
                       std::to_string(status.stx_dev_minor) + " / " + dir_ / point +
                       " rw,relatime shared:1 - " + type + " test rw\n";
        table_->changed = true;
    }

    // Renames folder/a to folder/b, and tells whether a placeholder was made.
    bool RenameMadePlaceholder(const std::string& folder) {
        test::MakeDirectory(dir_ / folder);
        test::MakeFile(dir_ / folder + "/a", 0, "a");
        const int before = placeholders_;
        EXPECT_EQ(fs_.RenameNoReplace(dir_ / folder + "/a", dir_ / folder + "/b"), 0) << folder;
        EXPECT_EQ(test::ReadFile(dir_ / folder + "/b"), "a") << folder;
        fs_.ReleaseHeldDirectory();
        return placeholders_ > before;
    }

    test::TempDir dir_;
    TestMountTable* table_ = new TestMountTable;  // owned by fs_
    int placeholders_ = 0;
    int no_replace_asked_ = 0;
    bool refuse_no_replace_ = false;  // as a layer without RENAME_NOREPLACE
    PosixFileSystem fs_;
};

TEST_F(MountKindTest, WhatEachKindOfMountKeeps) {
    struct Row {
        const char* name;
        const char* type;
        const char* folder;  // below the mount point
        // A placeholder where the layer's rename may replace a name taken
        // meanwhile; reads ahead where every request travels to a server;
        // identities made from paths where the layer makes its numbers up.
        bool placeholder, reads_ahead, identities_from_paths;
    } rows[] = {
        {"LocalDisk", "ext4", "photos", false, false, false},
        {"Nfs", "nfs4", "photos", false, true, false},
        {"Sshfs", "fuse.sshfs", "photos", false, true, false},
        {"FatDriver", "fuse.fusefat", "photos", false, false, false},
        {"ShareBrowserSmb", "fuse.gvfsd-fuse", "smb-share:server=nas,share=p", true, true, true},
        {"ShareBrowserSftp", "fuse.gvfsd-fuse", "sftp:host=nas,user=me", false, true, true},
        {"ShareBrowserFolderNamedSftp", "fuse.gvfsd-fuse", "sftp", true, true, true},
        // Its create is no more exclusive than its rename.
        {"KioFuseSmb", "fuse.kio-fuse", "smb", false, true, true},
        {"UnknownFuseLayer", "fuse.rclone", "photos", true, true, false},
    };
    for (const Row& row : rows) {
        MountAs(row.type, row.name);
        const std::string folder = std::string(row.name) + "/" + row.folder;
        EXPECT_EQ(RenameMadePlaceholder(folder), row.placeholder) << row.name;
        const std::string file = dir_ / folder + "/b";
        EXPECT_EQ(fs_.IsSlowAndThreadSafe(file), row.reads_ahead) << row.name;
        struct stat st;
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        const auto reading = fs_.ReadTimeAndIdentity(file);
        ASSERT_TRUE(reading && reading->file) << row.name;
        EXPECT_EQ(reading->file->inode != st.st_ino, row.identities_from_paths) << row.name;
        fs_.ReleaseHeldDirectory();
    }
}

// Device numbers and mount IDs of mounts without a disk are given again once
// a mount is gone: a mount that gets those of another must not be taken for
// it, neither for its kind nor for its refusal of RENAME_NOREPLACE.
TEST_F(MountKindTest, AMountInThePlaceOfAnotherIsToldApart) {
    MountAs("fuse.sshfs", "nas");
    refuse_no_replace_ = true;
    EXPECT_FALSE(RenameMadePlaceholder("nas/one"));
    RenameMadePlaceholder("nas/two");
    EXPECT_EQ(no_replace_asked_, 1) << "a refusal holds for its mount";
    MountAs("fuse.gvfsd-fuse", "nas");
    refuse_no_replace_ = false;
    EXPECT_TRUE(RenameMadePlaceholder("nas/smb-share:server=nas,share=p"));
    MountAs("nfs4", "nas");
    RenameMadePlaceholder("nas/three");
    EXPECT_EQ(no_replace_asked_, 2) << "the refusal went with its mount";
}

}  // namespace
}  // namespace tavrel
