#include "toolkit/archive/zip_archive.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/archive/zip_builder.h"

namespace ui {
namespace {

// Compressible text long enough that deflate really compresses it.
std::string SampleText() {
  std::string text;
  for (int i = 0; i < 200; ++i) text += "<Label name=\"line" + std::to_string(i) + "\"/>\n";
  return text;
}

std::string SampleBinary() {
  std::string bytes;
  uint32_t x = 12345;
  for (int i = 0; i < 3000; ++i) {
    x = x * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(x >> 24));
  }
  return bytes;
}

std::unique_ptr<ZipArchive> OpenOrFail(const std::string& bytes) {
  std::string error;
  auto archive = ZipArchive::Open(bytes.data(), bytes.size(), &error);
  EXPECT_NE(archive, nullptr) << error;
  return archive;
}

TEST(ZipArchiveTest, ReadsStoredEntry) {
  ZipBuilder zip;
  zip.AddStored("resources/a.bin", SampleBinary());
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  ASSERT_TRUE(archive->Read("resources/a.bin", &out, &error)) << error;
  EXPECT_EQ(out, SampleBinary());
}

TEST(ZipArchiveTest, ReadsDeflatedEntry) {
  ZipBuilder zip;
  const auto placed = zip.AddDeflated("resources/basic.xml", SampleText());
  const std::string bytes = zip.Finish();
  ASSERT_LT(placed.dataSize, SampleText().size());
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  ASSERT_TRUE(archive->Read("resources/basic.xml", &out, &error)) << error;
  EXPECT_EQ(out, SampleText());
}

TEST(ZipArchiveTest, ReadsEmptyDeflatedEntry) {
  ZipBuilder zip;
  zip.AddDeflated("empty.txt", "");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out = "stale", error;
  ASSERT_TRUE(archive->Read("empty.txt", &out, &error)) << error;
  EXPECT_EQ(out, "");
}

TEST(ZipArchiveTest, ListsEntryNamesInDirectoryOrder) {
  ZipBuilder zip;
  zip.AddDirectory("resources/");
  zip.AddDeflated("resources/B.xml", "b");
  zip.AddStored("resources/a.png", "a");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  EXPECT_EQ(archive->EntryNames(),
            (std::vector<std::string>{"resources/", "resources/B.xml", "resources/a.png"}));
}

TEST(ZipArchiveTest, DirectoryEntryReadsEmpty) {
  ZipBuilder zip;
  zip.AddDirectory("resources/themes/");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out = "stale", error;
  ASSERT_TRUE(archive->Read("resources/themes/", &out, &error)) << error;
  EXPECT_TRUE(out.empty());
}

TEST(ZipArchiveTest, LookupIgnoresAsciiCase) {
  ZipBuilder zip;
  zip.AddDeflated("resources/themes/default/public/checkbox/check.png", "png");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  ASSERT_TRUE(archive->Read("Resources/Themes/Default/public/CheckBox/CHECK.PNG", &out, &error))
      << error;
  EXPECT_EQ(out, "png");
}

TEST(ZipArchiveTest, LookupTreatsBackslashAsSlash) {
  ZipBuilder zip;
  zip.AddStored("resources/lang/zh_CN/strings.ini", "x");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  EXPECT_TRUE(archive->Contains("resources\\lang\\zh_CN\\strings.ini"));
  EXPECT_TRUE(archive->Contains("RESOURCES\\LANG/ZH_cn\\strings.INI"));
}

TEST(ZipArchiveTest, NonAsciiBytesMustMatchExactly) {
  ZipBuilder zip;
  zip.AddStored("r/\xc3\xa9.txt", "x");  // é in UTF-8
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  EXPECT_TRUE(archive->Contains("R/\xc3\xa9.TXT"));
  EXPECT_FALSE(archive->Contains("r/\xc3\x89.txt"));  // É
}

TEST(ZipArchiveTest, MissingEntryIsAnError) {
  ZipBuilder zip;
  zip.AddStored("resources/a.txt", "a");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out = "untouched", error;
  EXPECT_FALSE(archive->Contains("resources/b.txt"));
  EXPECT_FALSE(archive->Read("resources/b.txt", &out, &error));
  EXPECT_NE(error.find("resources/b.txt"), std::string::npos) << error;
  EXPECT_EQ(out, "untouched");
}

TEST(ZipArchiveTest, PrefixOfNameIsNotAnEntry) {
  ZipBuilder zip;
  zip.AddStored("resources/themes/default/global.xml", "g");
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  EXPECT_FALSE(archive->Contains("resources/themes/default"));
  EXPECT_FALSE(archive->Contains("resources/themes/default/global.xm"));
}

TEST(ZipArchiveTest, OpensArchiveWithComment) {
  ZipBuilder zip;
  zip.AddStored("a.txt", "a");
  // A comment that itself looks like an end record must not be taken for one.
  const std::string bytes = zip.Finish(std::string("PK\x05\x06 trailing note"));
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  EXPECT_TRUE(archive->Contains("a.txt"));
}

TEST(ZipArchiveTest, EmptyArchiveOpensWithNoEntries) {
  ZipBuilder zip;
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  EXPECT_TRUE(archive->EntryNames().empty());
}

TEST(ZipArchiveTest, RejectsDataThatIsNotAZip) {
  const std::string text = "this is plainly not a zip archive, only some text of decent length";
  std::string error;
  EXPECT_EQ(ZipArchive::Open(text.data(), text.size(), &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(ZipArchive::Open(nullptr, 0, &error), nullptr);
}

TEST(ZipArchiveTest, TruncatedArchiveFailsAtEveryCutPoint) {
  ZipBuilder zip;
  zip.AddDirectory("resources/");
  zip.AddDeflated("resources/basic.xml", SampleText());
  zip.AddStored("resources/logo.png", SampleBinary());
  const std::string bytes = zip.Finish();
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    // A copy of exactly `cut` bytes, so that reading past it would leave the allocation.
    const std::string prefix = bytes.substr(0, cut);
    std::string error;
    auto archive = ZipArchive::Open(prefix.data(), prefix.size(), &error);
    EXPECT_EQ(archive, nullptr) << "cut at " << cut;
    EXPECT_FALSE(error.empty()) << "cut at " << cut;
  }
}

TEST(ZipArchiveTest, EntryDataReachingPastDirectoryIsAnError) {
  ZipBuilder zip;
  zip.AddStored("a.bin", SampleBinary());
  std::string bytes = zip.Finish();
  // Claim a compressed (and uncompressed) size larger than the data area.
  const size_t sizes = zip.centralDirectoryOffset() + 20;
  for (size_t i = 0; i < 8; ++i) bytes[sizes + i] = (i % 4 == 1) ? '\x7f' : '\0';
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.bin", &out, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ZipArchiveTest, LocalHeaderOffsetOutOfBoundsIsAnError) {
  ZipBuilder zip;
  zip.AddStored("a.bin", "abc");
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 42 + 3] = '\x40';  // offset ~1 GiB
  std::string error;
  EXPECT_EQ(ZipArchive::Open(bytes.data(), bytes.size(), &error), nullptr);
  EXPECT_NE(error.find("outside"), std::string::npos) << error;
}

TEST(ZipArchiveTest, CorruptCentralDirectorySignatureIsAnError) {
  ZipBuilder zip;
  zip.AddStored("a.txt", "a");
  zip.AddStored("b.txt", "b");
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 1] ^= 0x20;
  std::string error;
  EXPECT_EQ(ZipArchive::Open(bytes.data(), bytes.size(), &error), nullptr);
  EXPECT_NE(error.find("signature"), std::string::npos) << error;
}

TEST(ZipArchiveTest, CentralDirectoryNameLengthPastEndIsAnError) {
  ZipBuilder zip;
  zip.AddStored("a.txt", "a");
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 29] = '\x10';  // name length 4096 + 5
  std::string error;
  EXPECT_EQ(ZipArchive::Open(bytes.data(), bytes.size(), &error), nullptr);
  EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST(ZipArchiveTest, CorruptStoredDataFailsCrcCheck) {
  ZipBuilder zip;
  const auto placed = zip.AddStored("a.bin", SampleBinary());
  std::string bytes = zip.Finish();
  bytes[placed.dataOffset + 100] ^= 0x01;
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.bin", &out, &error));
  EXPECT_NE(error.find("CRC"), std::string::npos) << error;
}

TEST(ZipArchiveTest, WrongCrcInDirectoryFailsCrcCheck) {
  ZipBuilder zip;
  zip.AddDeflated("a.xml", SampleText());
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 16] ^= 0x01;
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.xml", &out, &error));
  EXPECT_NE(error.find("CRC"), std::string::npos) << error;
}

TEST(ZipArchiveTest, CorruptDeflateDataIsAnError) {
  ZipBuilder zip;
  const auto placed = zip.AddDeflated("a.xml", SampleText());
  std::string bytes = zip.Finish();
  for (size_t i = 0; i < placed.dataSize; ++i) {
    std::string damaged = bytes;
    damaged[placed.dataOffset + i] ^= 0x5a;
    auto archive = ZipArchive::Open(damaged.data(), damaged.size(), nullptr);
    ASSERT_TRUE(archive);
    std::string out, error;
    EXPECT_FALSE(archive->Read("a.xml", &out, &error)) << "byte " << i;
    EXPECT_FALSE(error.empty()) << "byte " << i;
  }
}

TEST(ZipArchiveTest, DeflateStreamCutShortIsAnError) {
  ZipBuilder zip;
  zip.AddDeflated("a.xml", SampleText());
  std::string bytes = zip.Finish();
  // Shrink the compressed size in the directory: the stream then ends before its last block.
  uint8_t* size = reinterpret_cast<uint8_t*>(&bytes[zip.centralDirectoryOffset() + 20]);
  size[0] = static_cast<uint8_t>(size[0] - 8);
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.xml", &out, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ZipArchiveTest, UncompressedSizeMismatchIsAnError) {
  ZipBuilder zip;
  zip.AddDeflated("a.xml", SampleText());
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 24] ^= 0x04;  // declared size off by 4
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.xml", &out, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ZipArchiveTest, ImpossibleSizeIsRefusedWithoutAllocating) {
  ZipBuilder zip;
  zip.AddDeflated("a.xml", "tiny");
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 27] = '\x0f';  // about 250 MiB from a few bytes
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.xml", &out, &error));
  EXPECT_FALSE(error.empty());
}

TEST(ZipArchiveTest, EncryptedEntryIsRefused) {
  ZipBuilder zip;
  zip.AddStored("secret.txt", "data", /*flags=*/0x0001);
  const std::string bytes = zip.Finish();
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("secret.txt", &out, &error));
  EXPECT_NE(error.find("encrypted"), std::string::npos) << error;
}

TEST(ZipArchiveTest, UnknownCompressionMethodIsRefused) {
  ZipBuilder zip;
  zip.AddStored("a.txt", "data");
  std::string bytes = zip.Finish();
  bytes[zip.centralDirectoryOffset() + 10] = 14;  // LZMA
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.txt", &out, &error));
  EXPECT_NE(error.find("method"), std::string::npos) << error;
}

TEST(ZipArchiveTest, BadLocalHeaderSignatureIsAnError) {
  ZipBuilder zip;
  const auto placed = zip.AddStored("a.txt", "data");
  std::string bytes = zip.Finish();
  bytes[placed.localHeaderOffset + 2] = 'x';
  auto archive = OpenOrFail(bytes);
  ASSERT_TRUE(archive);
  std::string out, error;
  EXPECT_FALSE(archive->Read("a.txt", &out, &error));
  EXPECT_NE(error.find("local header"), std::string::npos) << error;
}

TEST(ZipArchiveTest, MultiVolumeArchiveIsRefused) {
  ZipBuilder zip;
  zip.AddStored("a.txt", "a");
  std::string bytes = zip.Finish();
  bytes[zip.endRecordOffset() + 4] = 1;
  std::string error;
  EXPECT_EQ(ZipArchive::Open(bytes.data(), bytes.size(), &error), nullptr);
  EXPECT_FALSE(error.empty());
}

// Every single damaged byte anywhere in the archive must end in a result or an error text.
TEST(ZipArchiveTest, AnySingleDamagedByteNeverCrashes) {
  ZipBuilder zip;
  zip.AddDirectory("r/");
  zip.AddDeflated("r/a.xml", SampleText().substr(0, 600));
  zip.AddStored("r/b.bin", SampleBinary().substr(0, 64));
  const std::string bytes = zip.Finish();
  for (size_t i = 0; i < bytes.size(); ++i) {
    for (uint8_t mask : {0x01, 0x80, 0xff}) {
      std::string damaged = bytes;
      damaged[i] = static_cast<char>(damaged[i] ^ mask);
      std::string error;
      auto archive = ZipArchive::Open(damaged.data(), damaged.size(), &error);
      if (!archive) {
        EXPECT_FALSE(error.empty());
        continue;
      }
      for (const std::string& name : archive->EntryNames()) {
        std::string out;
        error.clear();
        if (!archive->Read(name, &out, &error)) {
          EXPECT_FALSE(error.empty());
        }
      }
    }
  }
}

}  // namespace
}  // namespace ui
