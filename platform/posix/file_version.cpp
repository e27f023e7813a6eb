// The file version of a Windows executable, read from its bytes: the PE
// resource tree leads to the version resource, whose fixed part holds the
// numbers. (16-bit NE files are not read.)
#include "platform/file_version.h"
#include "platform/posix/pe_version.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/file_system.h"

namespace platform {
namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kResourceVersion = 16;  // RT_VERSION
constexpr uint32_t kVersionInfoId = 1;     // VS_VERSION_INFO
// The whole executable is never needed: headers, the resource tree and the
// version resource lie in the first few megabytes of any sane file, and a
// hostile one must not make us read gigabytes.
constexpr uint64_t kMaxBytesRead = 64u << 20;

class Image {
 public:
  explicit Image(std::string bytes) : bytes_(std::move(bytes)) {}

  bool U16(uint64_t offset, uint32_t& value) const {
    if (offset + 2 > bytes_.size()) return false;
    value = uint32_t(Byte(offset)) | uint32_t(Byte(offset + 1)) << 8;
    return true;
  }
  bool U32(uint64_t offset, uint32_t& value) const {
    if (offset + 4 > bytes_.size()) return false;
    value = uint32_t(Byte(offset)) | uint32_t(Byte(offset + 1)) << 8 | uint32_t(Byte(offset + 2)) << 16 |
            uint32_t(Byte(offset + 3)) << 24;
    return true;
  }
  uint64_t Size() const { return bytes_.size(); }

 private:
  uint8_t Byte(uint64_t offset) const { return static_cast<uint8_t>(bytes_[size_t(offset)]); }
  std::string bytes_;
};

struct Section {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

class PeFile {
 public:
  explicit PeFile(const Image& image) : image_(image) {}

  // Reads the headers; false when the bytes are not a PE image.
  bool Parse() {
    uint32_t mz, peOffset, pe;
    if (!image_.U16(0, mz) || mz != 0x5A4D || !image_.U32(0x3C, peOffset)) return false;
    if (!image_.U32(peOffset, pe) || pe != 0x4550) return false;
    uint64_t fileHeader = uint64_t(peOffset) + 4;
    uint32_t sections, optionalSize, magic;
    if (!image_.U16(fileHeader + 2, sections) || !image_.U16(fileHeader + 16, optionalSize)) return false;
    uint64_t optional = fileHeader + 20;
    if (!image_.U16(optional, magic)) return false;
    uint64_t directories;
    uint32_t directoryCount;
    if (magic == 0x10B) directories = optional + 96;        // PE32
    else if (magic == 0x20B) directories = optional + 112;  // PE32+
    else return false;
    if (!image_.U32(directories - 4, directoryCount) || directoryCount <= 2) return false;
    if (!image_.U32(directories + 2 * 8, resourceRva_)) return false;
    uint64_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sections && i < 96; ++i) {
      Section s;
      uint64_t at = table + uint64_t(i) * 40;
      if (!image_.U32(at + 8, s.virtualSize) || !image_.U32(at + 12, s.virtualAddress) ||
          !image_.U32(at + 16, s.rawSize) || !image_.U32(at + 20, s.rawOffset))
        return false;
      sections_[sectionCount_++] = s;
    }
    return resourceRva_ != 0;
  }

  // The file offset of a relative virtual address; false outside the file.
  bool Offset(uint32_t rva, uint64_t& offset) const {
    for (size_t i = 0; i < sectionCount_; ++i) {
      const Section& s = sections_[i];
      uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
      if (rva >= s.virtualAddress && uint64_t(rva) < uint64_t(s.virtualAddress) + extent) {
        uint32_t delta = rva - s.virtualAddress;
        if (delta >= s.rawSize) return false;
        offset = uint64_t(s.rawOffset) + delta;
        return offset < image_.Size();
      }
    }
    return false;
  }

  // Follows the resource tree to the version resource's data; the id 1 under
  // RT_VERSION when present, else its first entry, and its first language.
  bool VersionResource(uint64_t& offset, uint32_t& size) const {
    uint64_t root;
    if (!Offset(resourceRva_, root)) return false;
    uint32_t entry;
    if (!FindEntry(root, kResourceVersion, false, entry) || !(entry & 0x80000000u)) return false;
    uint64_t names = root + (entry & 0x7FFFFFFFu);
    if (!FindEntry(names, kVersionInfoId, true, entry) || !(entry & 0x80000000u)) return false;
    uint64_t languages = root + (entry & 0x7FFFFFFFu);
    if (!FindEntry(languages, 0, true, entry) || (entry & 0x80000000u)) return false;
    uint32_t dataRva;
    uint64_t dataEntry = root + entry;
    if (!image_.U32(dataEntry, dataRva) || !image_.U32(dataEntry + 4, size)) return false;
    return Offset(dataRva, offset);
  }

 private:
  // In the directory at `directory`, the entry with this numeric id (or, with
  // orFirst, the first entry when none has it); returns its OffsetToData.
  bool FindEntry(uint64_t directory, uint32_t id, bool orFirst, uint32_t& data) const {
    uint32_t named, ids;
    if (!image_.U16(directory + 12, named) || !image_.U16(directory + 14, ids)) return false;
    uint32_t count = named + ids;
    bool haveFirst = false;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t name, offset;
      uint64_t at = directory + 16 + uint64_t(i) * 8;
      if (!image_.U32(at, name) || !image_.U32(at + 4, offset)) return false;
      if (!(name & 0x80000000u) && name == id) {
        data = offset;
        return true;
      }
      if (orFirst && !haveFirst) {
        data = offset;
        haveFirst = true;
      }
    }
    return haveFirst;
  }

  const Image& image_;
  uint32_t resourceRva_ = 0;
  Section sections_[96];
  size_t sectionCount_ = 0;
};

bool ReadHead(const std::wstring& path, std::string& bytes) {
  FileReader reader(path);
  if (!reader.IsOpen()) return false;
  uint64_t size = reader.Size() < kMaxBytesRead ? reader.Size() : kMaxBytesRead;
  bytes.resize(size_t(size));
  size_t got = 0;
  while (got < bytes.size()) {
    int64_t n = reader.Read(&bytes[got], bytes.size() - got);
    if (n <= 0) break;
    got += size_t(n);
  }
  bytes.resize(got);
  return true;
}

// VS_VERSIONINFO: length, value length, type, the key "VS_VERSION_INFO" with
// its terminator, padding to 32 bits, then VS_FIXEDFILEINFO.
bool FixedFileVersion(const Image& image, uint64_t offset, uint32_t size, uint32_t& ms, uint32_t& ls) {
  uint32_t valueLength;
  if (!image.U16(offset + 2, valueLength) || valueLength < 52 || size < 40 + 52) return false;
  uint64_t fixed = offset + 40;
  uint32_t signature;
  if (!image.U32(fixed, signature) || signature != kFixedInfoSignature) return false;
  return image.U32(fixed + 8, ms) && image.U32(fixed + 12, ls);
}

}  // namespace

std::wstring FileVersionText(const std::wstring& path) {
  if (!WideFileExists(path)) return L"File not found";
  std::string bytes;
  if (!ReadHead(path, bytes)) return std::wstring();
  return VersionTextOfImage(std::move(bytes));
}

std::wstring VersionTextOfImage(std::string bytes) {
  Image image(std::move(bytes));
  PeFile pe(image);
  uint64_t offset;
  uint32_t size, ms, ls;
  if (!pe.Parse() || !pe.VersionResource(offset, size) || !FixedFileVersion(image, offset, size, ms, ls))
    return std::wstring();
  return std::to_wstring(ms >> 16) + L'.' + std::to_wstring(ms & 0xFFFF) + L'.' + std::to_wstring(ls >> 16) + L'.' +
         std::to_wstring(ls & 0xFFFF);
}

}  // namespace platform
