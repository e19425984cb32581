#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/Fixtures.h"
#include "tags/FileSource.h"
#include "tags/MemorySource.h"

using namespace vemla::tags;
using namespace vemla::test;

// The block cache must give exactly what the bytes hold, in any order of reads.
TEST(FileSource, ReadsLikeMemoryInAnyOrder) {
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes += char((i * 131 + i / 251) & 0xFF);
  FileSource file;
  ASSERT_TRUE(file.Open(writeFile("source/pattern.bin", bytes).string()));
  MemorySource memory(bytes);
  ASSERT_EQ(file.Size(), memory.Size());
  std::pair<uint64_t, size_t> reads[] = {
      {0, 10},      {10, 250},    {4090, 10},   {19750, 250}, {19510, 250}, {19270, 250},
      {15000, 4},   {8000, 5000}, {100, 4096},  {19990, 50},  {20000, 1},   {25000, 10},
      {4095, 4097}, {0, 20000},   {12000, 250}, {11760, 250}, {3, 1},       {1 << 30, 4},
  };
  for (const auto& [offset, n] : reads) {
    std::string a(n, '\0'), b(n, '\0');
    size_t got = file.ReadAt(offset, a.data(), n);
    ASSERT_EQ(got, memory.ReadAt(offset, b.data(), n)) << offset << "+" << n;
    EXPECT_EQ(a.substr(0, got), b.substr(0, got)) << offset << "+" << n;
  }
  EXPECT_FALSE(file.Open((tempDir() / "source").string()));
  EXPECT_FALSE(file.Open((tempDir() / "source/missing").string()));
  // A pipe is refused at once instead of blocking the reader.
  std::string fifo = (tempDir() / "source/fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(file.Open(fifo));
  EXPECT_EQ(file.ReadAt(0, nullptr, 0), 0u);
}
