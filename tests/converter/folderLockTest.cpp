#include "converterTestKit.h"
#include "namedRow.h"
#include "systemFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

// The POSIX folder lock: which folders get a lock file, and that holders who
// can read a folder and holders who cannot take one lock.
namespace sorvane {
namespace {

namespace fs = std::filesystem;
using detail::FolderLock;
using detail::NoError;

// For as long as it lives, this thread lacks the rights by which root reads
// and searches every folder, as a user who may write a folder of mode 0300
// but not read it. Only the effective set changes, so root gets them back.
class WithoutReadingRights {
public:
    WithoutReadingRights()
    {
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            throw std::runtime_error(std::strerror(errno));
        __user_cap_data_struct lessened[2] = {saved_[0], saved_[1]};
        for (const int right : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
            lessened[right / 32].effective &= ~(1u << (right % 32));
        if (::syscall(SYS_capset, &header_, lessened) != 0)
            throw std::runtime_error(std::strerror(errno));
    }
    ~WithoutReadingRights() { (void)::syscall(SYS_capset, &header_, saved_); }
    WithoutReadingRights(const WithoutReadingRights&) = delete;
    WithoutReadingRights& operator=(const WithoutReadingRights&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

detail::SystemError Acquire(FolderLock& lock, const std::string& folder, bool canRead)
{
    std::optional<WithoutReadingRights> asWriter;
    if (!canRead)
        asWriter.emplace();
    return lock.Acquire(folder, false);
}

const std::string LockFile = std::string(FolderLock::LockFileName);

// A folder that everyone who may write it may also read is locked itself, so
// no file is ever made there, and a holder killed at any moment leaves none.
// Only a folder that someone may write without reading (so the mode bits
// say, or an access ACL may) gets the lock file, and only while it is held.
struct LockFileRow : testkit::NamedRow {
    fs::perms mode;
    bool withAcl;
    bool lockFile;
};

class FolderLockFile : public ::testing::TestWithParam<LockFileRow> {
protected:
    testkit::TempFolder folder;
};

TEST_P(FolderLockFile, IsMadeOnlyWhereAWriterMayNotRead)
{
    const std::string site = folder.path().string();  // its owner's rights come back at its removal
    fs::permissions(site, GetParam().mode);
    if (GetParam().withAcl) {
        // The owner and the group may do all; user 4321 may write, not read.
        const std::string acl = testkit::AclAttribute({{0x01, 7}, {0x02, 3, 4321}, {0x04, 7}, {0x10, 7}, {0x20, 5}});
        if (::setxattr(site.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0)
            GTEST_SKIP() << "the file system of " << site << " keeps no ACL: " << std::strerror(errno);
    }
    {
        FolderLock holder;
        ASSERT_EQ(holder.Acquire(site, false), NoError);
        EXPECT_EQ(fs::exists(fs::symlink_status(site + "/" + LockFile)), GetParam().lockFile);
        FolderLock contender;
        EXPECT_TRUE(FolderLock::IsBusy(contender.Acquire(site, false)));
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(site + "/" + LockFile)));
    FolderLock next;
    EXPECT_EQ(next.Acquire(site, false), NoError) << "the lock is free again";
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderLockFile,
                         ::testing::Values(LockFileRow{{"Ordinary"}, fs::perms(0755), false, false},
                                           LockFileRow{{"SharedByAGroup"}, fs::perms(02775), false, false},
                                           LockFileRow{{"SharedByAll"}, fs::perms(01777), false, false},
                                           LockFileRow{{"Private"}, fs::perms(0700), false, false},
                                           LockFileRow{
                                               {"WriteWithoutSearchIsNoWriting"}, fs::perms(0722), false, false},
                                           LockFileRow{{"WriteOnlyForTheOwner"}, fs::perms(0300), false, true},
                                           LockFileRow{{"WriteOnlyForTheGroup"}, fs::perms(0730), false, true},
                                           LockFileRow{{"DropBox"}, fs::perms(01733), false, true},
                                           LockFileRow{{"AclWithAWriteOnlyUser"}, fs::perms(0755), true, true}),
                         testkit::RowName<LockFileRow>);

// In a folder of mode 0300 the owner may write but not read, root may do
// both: whichever holds the lock, the other waits. Rows with one who reads
// need root.
struct MixedHoldersRow : testkit::NamedRow {
    bool holderReads, contenderReads;
};

class MixedHolders : public ::testing::TestWithParam<MixedHoldersRow> {
protected:
    testkit::TempFolder folder;
};

TEST_P(MixedHolders, OfAWriteOnlyFolderExcludeEachOther)
{
    const MixedHoldersRow& row = GetParam();
    if ((row.holderReads || row.contenderReads) && ::geteuid() != 0)
        GTEST_SKIP() << "only root may read a folder of mode 0300";
    const std::string site = folder.path().string();
    fs::permissions(site, fs::perms(0300));

    std::optional<FolderLock> holder;
    ASSERT_EQ(Acquire(holder.emplace(), site, row.holderReads), NoError);
    FolderLock contender;
    EXPECT_TRUE(FolderLock::IsBusy(Acquire(contender, site, row.contenderReads)));
    holder.reset();
    EXPECT_EQ(Acquire(contender, site, row.contenderReads), NoError);
}

INSTANTIATE_TEST_SUITE_P(Locks, MixedHolders,
                         ::testing::Values(MixedHoldersRow{{"ReaderHoldsWriterWaits"}, true, false},
                                           MixedHoldersRow{{"WriterHoldsReaderWaits"}, false, true},
                                           MixedHoldersRow{{"TwoWriters"}, false, false}),
                         testkit::RowName<MixedHoldersRow>);

// A holder who may not read a folder that needs no lock file (LSM rules can
// make that so for a writer, too) has no lock it could share with the
// others: it gets the system's refusal and makes no file.
TEST(FolderLockRefusal, OfAFolderTheHolderCannotReadGivesTheReason)
{
    testkit::TempFolder folder;
    const std::string site = folder.path().string();
    fs::permissions(site, fs::perms(0111));
    FolderLock lock;
    EXPECT_EQ(Acquire(lock, site, false), EACCES);
    fs::permissions(site, fs::perms(0700));
    EXPECT_TRUE(fs::is_empty(site));
}

}  // namespace
}  // namespace sorvane
