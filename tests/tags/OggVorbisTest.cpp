#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "TagBytes.h"
#include "support/Fixtures.h"
#include "tags/MemorySource.h"
#include "tags/TOggVorbis.h"

using namespace vemla::tags;
using namespace vemla::test;

namespace {

struct OggSpec {
  int channels = 2;
  uint32_t rate = 44100;
  uint32_t nominal = 128000;
  std::string vendor = "Xiph.Org libVorbis";
  std::vector<std::string> comments;
  int64_t count = -1;  // declared comment count; -1: the real one
  uint32_t granule = 441000;
  size_t size = 8000;    // whole file
  bool lastPage = true;  // false: no page starts in the last 12010 bytes
};

std::string PageHeader(uint32_t granule) {
  return "OggS" + std::string(2, '\0') + LittleEndian(granule) + std::string(4, '\0') +
         std::string(12, '\x11') + std::string(1, '\x01');
}

// Bytes laid out as an encoder writes them: first page with the identification header, a page
// with the comment header, audio, and a last page whose granule position gives the length.
std::string OggBytes(const OggSpec& s) {
  std::string id = "\x01vorbis" + std::string(4, '\0') + char(s.channels) + LittleEndian(s.rate) +
                   LittleEndian(0) + LittleEndian(s.nominal) + LittleEndian(0) + "\xB8\x01";
  std::string comments = "\x03vorbis" + LittleEndian(uint32_t(s.vendor.size())) + s.vendor +
                         LittleEndian(uint32_t(s.count < 0 ? s.comments.size() : s.count));
  for (const auto& c : s.comments) comments += LittleEndian(uint32_t(c.size())) + c;
  comments += '\x01';
  std::string first = PageHeader(0);
  first.back() = '\x01';
  std::string out = first + char(30) + id + PageHeader(0) + char(comments.size() & 0xFF) + comments;
  std::string tail =
      s.lastPage ? PageHeader(s.granule) + std::string(300, '\x55') : std::string(12100, 'z');
  for (size_t i = out.size() + tail.size(); i < s.size; ++i) out += char('a' + i % 7);
  return out + tail;
}

TOggVorbis Read(const std::string& bytes, bool expectOk = true) {
  MemorySource src(bytes);
  TOggVorbis ogg;
  EXPECT_EQ(ogg.LoadFrom(src), expectOk);
  return ogg;
}

}  // namespace

TEST(OggVorbis, IdentificationHeaderRanges) {
  struct Case {
    int channels;
    uint32_t rate, nominal;
    int wantChannels, wantRate, wantKbps;
  } cases[] = {
      {2, 44100, 128000, 2, 44100, 128}, {1, 8000, 16000, 1, 8000, 16},
      {6, 48000, 350999, 0, 48000, 350}, {2, 96000, 500000, 2, 0, 0},
      {2, 7999, 12000, 2, 0, 0},         {0, 22050, 0xFFFFFFFF, 0, 22050, 0},
  };
  for (const auto& c : cases) {
    OggSpec s;
    s.channels = c.channels, s.rate = c.rate, s.nominal = c.nominal;
    TOggVorbis ogg = Read(OggBytes(s));
    EXPECT_TRUE(ogg.Present());
    EXPECT_EQ(ogg.Channels(), c.wantChannels) << c.channels;
    EXPECT_EQ(ogg.SampleRate(), c.wantRate) << c.rate;
    EXPECT_EQ(ogg.NominalKbps(), c.wantKbps) << c.nominal;
  }
}

TEST(OggVorbis, NotVorbisOrTooShort) {
  std::string good = OggBytes({});
  std::string other = good;
  other[29] = 'V';
  TOggVorbis ogg = Read(other);
  EXPECT_FALSE(ogg.Present());
  EXPECT_EQ(ogg.FileSize(), 0u);
  EXPECT_EQ(ogg.Title(), "");
  Read(good.substr(0, 57), false);
  EXPECT_TRUE(Read(good.substr(0, 58)).Present());
  Read("", false);
  EXPECT_FALSE(ogg.Load((tempDir() / "no-such.ogg").string()));
  EXPECT_FALSE(ogg.Load(tempDir().string()));
}

TEST(OggVorbis, CommentRules) {
  struct Case {
    const char* name;
    std::vector<std::string> comments;
    std::string title, vendor;
    int track;
  } cases[] = {
      {"later key wins, any case", {"title=Song", "TITLE=Other"}, "Other", "Xiph.Org libVorbis", 0},
      {"track with total", {"TRACKNUMBER=3/12"}, "", "Xiph.Org libVorbis", 3},
      {"track not a number", {"tracknumber=x"}, "", "Xiph.Org libVorbis", 0},
      {"no = does not replace vendor", {"just text", "TITLE=T"}, "T", "Xiph.Org libVorbis", 0},
      {"UTF-8 kept",
       {"TITLE=Canci\xC3\xB3n \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
       "Canci\xC3\xB3n \xE2\x82\xAC \xF0\x9F\x8E\xB5",
       "Xiph.Org libVorbis",
       0},
      {"cut at a lone lead byte", {"TITLE=ab\xC3"}, "ab", "Xiph.Org libVorbis", 0},
      {"value with =", {"TITLE=a=b"}, "a=b", "Xiph.Org libVorbis", 0},
      {"empty key", {"=x", "TITLEX=y"}, "", "Xiph.Org libVorbis", 0},
  };
  for (const auto& c : cases) {
    OggSpec s;
    s.comments = c.comments;
    TOggVorbis ogg = Read(OggBytes(s));
    EXPECT_EQ(ogg.Title(), c.title) << c.name;
    EXPECT_EQ(ogg.Vendor(), c.vendor) << c.name;
    EXPECT_EQ(ogg.TrackNo(), c.track) << c.name;
  }

  OggSpec all;
  all.comments = {"ARTIST=Art", "ALBUM=Alb", "DATE=2001", "GENRE=Pop", "COMMENT=Bien"};
  TOggVorbis ogg = Read(OggBytes(all));
  EXPECT_EQ(ogg.Artist(), "Art");
  EXPECT_EQ(ogg.Album(), "Alb");
  EXPECT_EQ(ogg.Date(), "2001");
  EXPECT_EQ(ogg.Genre(), "Pop");
  EXPECT_EQ(ogg.Comment(), "Bien");
}

TEST(OggVorbis, CommentCountsAndLongItems) {
  // A long item is cut to the window but the items after it are still found.
  OggSpec longItem;
  longItem.comments = {"COMMENT=" + std::string(400, 'c'), "TITLE=Despues"};
  TOggVorbis ogg = Read(OggBytes(longItem));
  EXPECT_EQ(ogg.Title(), "Despues");
  EXPECT_EQ(ogg.Comment(), std::string(242, 'c'));

  struct Case {
    const char* name;
    int64_t count;
    std::string title;
  } cases[] = {
      {"count 0 reads vendor only", 0, ""},
      {"negative count", -5 & 0xFFFFFFFF, ""},
      {"count in the millions", 40000000, "T"},
      {"largest count", 0x7FFFFFFF, "T"},
  };
  for (const auto& c : cases) {
    OggSpec s;
    s.comments = {"TITLE=T"};
    s.count = c.count;
    TOggVorbis o = Read(OggBytes(s));
    EXPECT_EQ(o.Title(), c.title) << c.name;
    EXPECT_EQ(o.Vendor(), "Xiph.Org libVorbis") << c.name;
  }
}

TEST(OggVorbis, SampleCountDurationAndBitRate) {
  struct Case {
    const char* name;
    OggSpec spec;
    uint32_t samples;
    double duration;
    int bitRate;
  };
  auto spec = [](uint32_t granule, size_t size, bool lastPage, int channels = 2,
                 uint32_t rate = 44100, uint32_t nominal = 128000) {
    OggSpec s;
    s.granule = granule, s.size = size, s.lastPage = lastPage;
    s.channels = channels, s.rate = rate, s.nominal = nominal;
    return s;
  };
  Case cases[] = {
      {"one minute", spec(2646000, 1000000, true), 2646000, 60, 133},
      {"half rounds to even", spec(2646000, 993750, true), 2646000, 60, 132},
      {"half rounds up to even", spec(2646000, 1001250, true), 2646000, 60, 134},
      {"no page: nominal rate", spec(0, 20000, false), 0, 1.25, 128},
      {"no page, mono counts twice", spec(0, 20000, false, 1, 44100, 64000), 0, 5, 32},
      {"no page, no nominal rate", spec(0, 20000, false, 2, 44100, 0), 0, 0, 0},
      {"rate out of range", spec(441000, 20000, true, 2, 96000), 441000, 0, 0},
      {"one sample", spec(1, 1000000, true, 2, 48000), 1, 1.0 / 48000, 384000000},
  };
  for (const auto& c : cases) {
    std::string bytes = OggBytes(c.spec);
    ASSERT_EQ(bytes.size(), c.spec.size) << c.name;
    TOggVorbis ogg = Read(bytes);
    EXPECT_EQ(ogg.SampleCount(), c.samples) << c.name;
    EXPECT_DOUBLE_EQ(ogg.Duration(), c.duration) << c.name;
    EXPECT_EQ(ogg.BitRate(), c.bitRate) << c.name;
  }
}

TEST(OggVorbis, HugeCommentCountOverZerosEndsSoon) {
  // A comment header declaring 2^31-1 items, then 8 GB of zeros: each an empty item.
  class Zeros : public ByteSource {
   public:
    explicit Zeros(std::string head) : head_(std::move(head)) {}
    uint64_t Size() const override { return uint64_t{8} << 30; }
    size_t ReadAt(uint64_t offset, void* out, size_t n) override {
      ++reads;
      auto* p = static_cast<char*>(out);
      for (size_t i = 0; i < n; ++i) p[i] = offset + i < head_.size() ? head_[offset + i] : 0;
      return offset + n <= Size() ? n : 0;
    }
    int64_t reads = 0;

   private:
    std::string head_;
  };
  OggSpec spec;
  spec.count = 0x7fffffff;
  std::string bytes = OggBytes(spec);
  Zeros source(bytes.substr(0, bytes.find("\x03vorbis") + 7 + 4 + spec.vendor.size() + 4));
  TOggVorbis ogg;
  EXPECT_TRUE(ogg.LoadFrom(source));
  EXPECT_EQ(ogg.Vendor(), spec.vendor);
  EXPECT_LT(source.reads, 1 << 18);
}
