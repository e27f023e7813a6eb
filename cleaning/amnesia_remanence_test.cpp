// Whether the overwrite really reaches the blocks the file had on disk: files
// of marker blocks on a small ext4 image, one shredded, one deleted plainly as
// a control, then the raw image is searched for the markers. Needs root to
// loop-mount the image.
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

#include "platform/posix/wine_prefix.h"

namespace {

constexpr size_t kBlock = 4096;
constexpr int kBlocks = 64;

// Runs a shell command; its output goes to *output when asked.
int RunShell(const std::string& command, std::string* output = nullptr) {
  char logName[] = "/tmp/pgremanence-log-XXXXXX";
  int logFd = mkstemp(logName);
  if (logFd < 0) return -1;
  close(logFd);
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
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, content.data(), content.size()), ssize_t(content.size()));
  ASSERT_EQ(fsync(fd), 0);
  close(fd);
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
  EXPECT_TRUE(amnesia.ShredFile(platform::FromNativePath(shredded), TAmnesia::kMethodOnePassRandom, true).Deleted());
  amnesia.scrambleNames = false;
  EXPECT_TRUE(amnesia.ShredFile(platform::FromNativePath(plain), TAmnesia::kMethodStandard, false).Deleted());
  ASSERT_TRUE(image.Unmount());

  const std::string after = image.Bytes();
  EXPECT_NE(after.find("PGMARK-PLAIN#"), std::string::npos) << "a plain deletion leaves its blocks behind";
  size_t left = after.find("PGMARK-SHREDDED");
  EXPECT_EQ(left, std::string::npos) << "a marker of the shredded file remains at image offset " << left;
}

}  // namespace
