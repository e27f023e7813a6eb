// Secure deletion on a real small file system, an ext4 image: whether the
// overwrite really reaches the blocks the file had on disk (files of marker
// blocks, one shredded, one deleted plainly as a control, then the raw image
// is searched for the markers), and what a full disk does to a cleaning.
// Needs root to loop-mount the image.
#include "cleaning/amnesia.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "cleaning/clean_thread.h"
#include "model/review_list.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/wine_prefix.h"
#include "system/dispatcher.h"

namespace {

constexpr size_t kBlock = 4096;
constexpr int kBlocks = 64;

// Runs a shell command; its output goes to *output when asked.
int RunShell(const std::string& command, std::string* output = nullptr) {
  char logName[] = "/tmp/pgremanence-log-XXXXXX";
  platform::Descriptor log(mkstemp(logName));
  if (!log.Valid()) return -1;
  if (!log.Close()) {
    unlink(logName);
    return -1;
  }
  int status = std::system((command + " >" + logName + " 2>&1").c_str());
  if (output) {
    std::ifstream in(logName);
    output->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  unlink(logName);
  return status;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file of kBlocks blocks, each filled with "<tag>#<block>|" repeated, written
// and flushed so that its blocks are allocated on the image.
void WriteMarkerFile(const std::string& path, const std::string& tag) {
  std::string content;
  for (int b = 0; b < kBlocks; ++b) {
    std::string unit = tag + "#" + std::to_string(b) + "|";
    std::string block;
    while (block.size() < kBlock) block += unit;
    content += block.substr(0, kBlock);
  }
  platform::Descriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
  ASSERT_TRUE(file.Valid());
  ASSERT_EQ(write(file.Get(), content.data(), content.size()), ssize_t(content.size()));
  ASSERT_EQ(fsync(file.Get()), 0);
  ASSERT_TRUE(file.Close());
}

class LoopImage {
 public:
  ~LoopImage() {
    if (mounted_) RunShell("umount " + mountPoint_);
    if (!folder_.empty()) RunShell("rm -rf " + folder_);
  }

  // Empty on success, else why the image could not be mounted.
  std::string Mount() {
    char folder[] = "/tmp/pgremanence-XXXXXX";
    if (!mkdtemp(folder)) return "no temporary folder";
    folder_ = folder;
    image_ = folder_ + "/disk.img";
    mountPoint_ = folder_ + "/mnt";
    std::string output;
    if (RunShell("truncate -s 16M " + image_ + " && mkfs.ext4 -q -F -b 4096 " + image_, &output) != 0)
      ADD_FAILURE() << "mkfs.ext4 failed (tools/setup.sh installs e2fsprogs): " << output;
    mkdir(mountPoint_.c_str(), 0755);
    if (RunShell("mount -o loop " + image_ + " " + mountPoint_, &output) != 0) return "mount -o loop refused: " + output;
    mounted_ = true;
    return std::string();
  }

  bool Unmount() {
    mounted_ = RunShell("umount " + mountPoint_) != 0;
    return !mounted_;
  }

  const std::string& MountPoint() const { return mountPoint_; }
  std::string Bytes() const { return ReadAll(image_); }

 private:
  std::string folder_, image_, mountPoint_;
  bool mounted_ = false;
};

TEST(AmnesiaRemanenceTest, ShreddedFileLeavesNoMarkerOnTheDisk) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to loop-mount a file system image";
  LoopImage image;
  std::string refused = image.Mount();
  if (HasFailure()) return;
  if (!refused.empty()) GTEST_SKIP() << refused;

  const std::string shredded = image.MountPoint() + "/secret.bin";
  const std::string plain = image.MountPoint() + "/control.bin";
  WriteMarkerFile(shredded, "PGMARK-SHREDDED");
  WriteMarkerFile(plain, "PGMARK-PLAIN");
  ASSERT_EQ(RunShell("sync"), 0);
  const std::string before = image.Bytes();
  ASSERT_NE(before.find("PGMARK-SHREDDED#"), std::string::npos) << "the markers must be findable to begin with";
  ASSERT_NE(before.find("PGMARK-PLAIN#"), std::string::npos);

  TAmnesia amnesia;
  amnesia.scrambleNames = true;
  EXPECT_TRUE(amnesia.ShredFile(platform::FromNativePath(shredded), DeletionMethod::OnePassRandom, true).Deleted());
  amnesia.scrambleNames = false;
  EXPECT_TRUE(amnesia.ShredFile(platform::FromNativePath(plain), DeletionMethod::Standard, false).Deleted());
  ASSERT_TRUE(image.Unmount());

  const std::string after = image.Bytes();
  EXPECT_NE(after.find("PGMARK-PLAIN#"), std::string::npos) << "a plain deletion leaves its blocks behind";
  size_t left = after.find("PGMARK-SHREDDED");
  EXPECT_EQ(left, std::string::npos) << "a marker of the shredded file remains at image offset " << left;
}

// A sparse file claims far more than the disk holds; overwriting its holes
// would fill the disk and end the cleaning. Only its data is overwritten, so
// on a full disk it goes, and so does the file after it.
TEST(AmnesiaRemanenceTest, SparseFileOnAFullDiskIsShreddedAndTheCleaningGoesOn) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to loop-mount a file system image";
  LoopImage image;
  std::string refused = image.Mount();
  if (HasFailure()) return;
  if (!refused.empty()) GTEST_SKIP() << refused;

  const std::string sparse = image.MountPoint() + "/sparse.bin";
  const std::string plain = image.MountPoint() + "/plain.bin";
  WriteMarkerFile(sparse, "PGMARK-SPARSE");
  ASSERT_EQ(truncate(sparse.c_str(), 64 << 20), 0);
  WriteMarkerFile(plain, "PGMARK-PLAIN");
  {
    // Fill what is left of the disk.
    // On a full disk the flush and the close may report the blocks that did
    // not fit; what fitted is all the test needs.
    platform::Descriptor filler(open((image.MountPoint() + "/filler").c_str(), O_WRONLY | O_CREAT, 0644));
    ASSERT_TRUE(filler.Valid());
    const std::string block(1 << 16, 'f');
    while (write(filler.Get(), block.data(), block.size()) > 0) {
    }
    fsync(filler.Get());
    filler.Close();
  }

  ReviewList list;
  list.Add(L"Temporary File", platform::FromNativePath(sparse), L"");
  list.Add(L"Temporary File", platform::FromNativePath(plain), L"");
  InlineDispatcher dispatcher;
  TAmnesia amnesia;
  std::vector<RowOutcome> outcomes;
  CleanHost host;
  host.dispatcher = &dispatcher;
  host.list = &list;
  host.amnesia = &amnesia;
  host.rowHandled = [&](size_t, const std::wstring&, RowOutcome outcome) { outcomes.push_back(outcome); };
  CleanOptions options;
  options.method = DeletionMethod::ThreePassDoD;
  options.trim = true;
  EXPECT_EQ(TCleanThd::Execute(host, options), (uint64_t(64) << 20) + kBlock * kBlocks);
  EXPECT_EQ(outcomes, (std::vector<RowOutcome>{RowOutcome::Deleted, RowOutcome::Deleted}));
  struct stat st;
  EXPECT_NE(lstat(sparse.c_str(), &st), 0);
  EXPECT_NE(lstat(plain.c_str(), &st), 0);
  ASSERT_TRUE(image.Unmount());
  EXPECT_EQ(image.Bytes().find("PGMARK-SPARSE"), std::string::npos) << "the sparse file's data was overwritten";
}

}  // namespace
