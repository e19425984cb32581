// Reading speed of our tag readers against TagLib on the same files, in the same run.
//
// 1. Makes N MP3 files, each an ID3v2.3 tag (seven texts and padding) in front of the same short
//    MPEG audio, and N Ogg Vorbis files, each a copy of one encoded file whose comment texts
//    carry the file's number (the page checksum recomputed).
// 2. Reads them all with our readers and with TagLib, three rounds each, alternating, and keeps
//    the best round of each (files are in the page cache for both).
// 3. Prints files per second, the speed ratio, and how many files both read alike.
#include <id3v2tag.h>
#include <mpegfile.h>
#include <tag.h>
#include <vorbisfile.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "tags/TID3v2.h"
#include "tags/TOggVorbis.h"

namespace fs = std::filesystem;
using vemla::tags::TID3v2;
using vemla::tags::TOggVorbis;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary);
  f.write(bytes.data(), std::streamsize(bytes.size()));
}

bool Shell(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

std::string Id3Frame(const std::string& id, const std::string& data) {
  uint32_t n = uint32_t(data.size());
  std::string f = id;
  f += char(n >> 24), f += char((n >> 16) & 0xFF), f += char((n >> 8) & 0xFF), f += char(n & 0xFF);
  f += std::string(2, '\0');
  return f + data;
}

std::string Id3Tag(int i) {
  char num[16];
  std::snprintf(num, sizeof num, "%05d", i);
  std::string t = std::string(1, '\0');
  std::string body = Id3Frame("TIT2", t + "Canci\xF3n " + num) +
                     Id3Frame("TPE1", t + "Artista " + num) + Id3Frame("TALB", t + "Disco") +
                     Id3Frame("TRCK", t + std::to_string(i % 20 + 1) + "/20") +
                     Id3Frame("TYER", t + "1999") + Id3Frame("TCON", t + "Pop") +
                     Id3Frame("COMM", t + std::string("eng\0", 4) + "Comentario") +
                     Id3Frame("TSSE", t + "bench") + std::string(1024, '\0');
  uint32_t s = uint32_t(body.size());
  std::string h("ID3\3\0\0", 6);
  for (int shift : {21, 14, 7, 0}) h += char((s >> shift) & 0x7F);
  return h + body;
}

uint32_t OggCrc(const std::string& page) {
  static uint32_t table[256];
  static bool made = false;
  if (!made) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      table[i] = r;
    }
    made = true;
  }
  uint32_t crc = 0;
  for (unsigned char c : page) crc = (crc << 8) ^ table[((crc >> 24) & 0xFF) ^ c];
  return crc;
}

// Puts `number` into every "#####" of the second page (the comment header) and fixes its CRC.
std::string OggCopy(const std::string& tmpl, int number) {
  std::string out = tmpl;
  size_t second = out.find("OggS", 4);
  size_t segments = static_cast<unsigned char>(out[second + 26]);
  size_t length = 27 + segments;
  for (size_t k = 0; k < segments; ++k) length += static_cast<unsigned char>(out[second + 27 + k]);
  char num[16];
  std::snprintf(num, sizeof num, "%05d", number);
  for (size_t p = out.find("#####", second); p != std::string::npos && p < second + length;
       p = out.find("#####", p + 5))
    out.replace(p, 5, num);
  for (int k = 0; k < 4; ++k) out[second + 22 + k] = '\0';
  uint32_t crc = OggCrc(out.substr(second, length));
  for (int k = 0; k < 4; ++k) out[second + 22 + k] = char((crc >> (8 * k)) & 0xFF);
  return out;
}

double Best(int rounds, const std::function<void()>& pass) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    pass();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s < best) best = s;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "vemla-tags-bench";
  int count = argc > 2 ? std::atoi(argv[2]) : 10000;
  const int rounds = 3;
  fs::create_directories(dir / "mp3");
  fs::create_directories(dir / "ogg");

  std::string q = "'" + dir.string() + "'";
  if (!Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=0.3 "
             "-c:a libmp3lame -b:a 32k -id3v2_version 0 -write_xing 0 " +
             q + "/audio.mp3") ||
      !Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=1 "
             "-ac 2 -c:a libvorbis -q:a 0 -metadata 'title=Titulo #####' "
             "-metadata 'artist=Artista #####' -metadata album=Disco -metadata track=3/12 "
             "-metadata date=1999 -metadata genre=Pop " +
             q + "/template.ogg")) {
    std::fprintf(stderr, "ffmpeg failed\n");
    return 1;
  }
  std::string audio = ReadAll(dir / "audio.mp3");
  std::string oggTemplate = ReadAll(dir / "template.ogg");
  std::vector<std::string> mp3s, oggs;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "%05d", i);
    mp3s.push_back((dir / "mp3" / (std::string(name) + ".mp3")).string());
    oggs.push_back((dir / "ogg" / (std::string(name) + ".ogg")).string());
    WriteAll(mp3s.back(), Id3Tag(i) + audio);
    WriteAll(oggs.back(), OggCopy(oggTemplate, i));
  }
  // Warm the page cache for both readers alike.
  size_t sink = 0;
  for (auto& f : mp3s) sink += ReadAll(f).size();
  for (auto& f : oggs) sink += ReadAll(f).size();

  int mp3Same = 0, oggSame = 0;
  auto oursMp3 = [&] {
    for (auto& f : mp3s) {
      TID3v2 t;
      t.Load(f);
      sink += t.Title().size() + t.Artist().size() + t.Album().size() + t.TrackNo() +
              t.Year().size() + t.Genre().size() + t.Comment().size();
    }
  };
  auto taglibMp3 = [&] {
    for (auto& f : mp3s) {
      TagLib::MPEG::File file(f.c_str(), false);
      TagLib::ID3v2::Tag* t = file.ID3v2Tag();
      if (!t) continue;
      sink += t->title().size() + t->artist().size() + t->album().size() + t->track() + t->year() +
              t->genre().size() + t->comment().size();
    }
  };
  auto oursOgg = [&] {
    for (auto& f : oggs) {
      TOggVorbis o;
      o.Load(f);
      sink += o.Title().size() + o.Artist().size() + o.Album().size() + o.TrackNo() +
              o.Date().size() + o.Genre().size() + o.Comment().size() + size_t(o.BitRate()) +
              o.SampleRate() + size_t(o.Duration());
    }
  };
  auto taglibOgg = [&] {
    for (auto& f : oggs) {
      TagLib::Ogg::Vorbis::File file(f.c_str(), true, TagLib::AudioProperties::Average);
      TagLib::Tag* t = file.tag();
      TagLib::AudioProperties* p = file.audioProperties();
      if (!t || !p) continue;
      sink += t->title().size() + t->artist().size() + t->album().size() + t->track() + t->year() +
              t->genre().size() + t->comment().size() + size_t(p->bitrate()) +
              size_t(p->sampleRate()) + size_t(p->lengthInMilliseconds());
    }
  };

  double tOursMp3 = 1e30, tTaglibMp3 = 1e30, tOursOgg = 1e30, tTaglibOgg = 1e30;
  for (int r = 0; r < rounds; ++r) {
    tOursMp3 = std::min(tOursMp3, Best(1, oursMp3));
    tTaglibMp3 = std::min(tTaglibMp3, Best(1, taglibMp3));
    tOursOgg = std::min(tOursOgg, Best(1, oursOgg));
    tTaglibOgg = std::min(tTaglibOgg, Best(1, taglibOgg));
  }

  // Do both read the same texts?
  for (int i = 0; i < count; ++i) {
    TID3v2 t;
    t.Load(mp3s[i]);
    TagLib::MPEG::File file(mp3s[i].c_str(), false);
    auto* tt = file.ID3v2Tag();
    if (tt && t.Title() == tt->title().to8Bit(true) && t.Artist() == tt->artist().to8Bit(true) &&
        t.TrackNo() == tt->track() && t.Comment() == tt->comment().to8Bit(true))
      ++mp3Same;
    TOggVorbis o;
    o.Load(oggs[i]);
    TagLib::Ogg::Vorbis::File of(oggs[i].c_str(), true, TagLib::AudioProperties::Average);
    if (of.tag() && of.audioProperties() && o.Title() == of.tag()->title().to8Bit(true) &&
        o.Artist() == of.tag()->artist().to8Bit(true) && o.TrackNo() == of.tag()->track() &&
        o.SampleRate() == of.audioProperties()->sampleRate())
      ++oggSame;
  }

  std::printf("tags: %d MP3 files (ID3v2.3, seven texts), %d Ogg Vorbis files; best of %d\n", count,
              count, rounds);
  std::printf("  ID3v2  ours   %10.0f files/s\n", count / tOursMp3);
  std::printf("  ID3v2  TagLib %10.0f files/s   ours %.1fx faster\n", count / tTaglibMp3,
              tTaglibMp3 / tOursMp3);
  std::printf("  Ogg    ours   %10.0f files/s\n", count / tOursOgg);
  std::printf("  Ogg    TagLib %10.0f files/s   ours %.1fx faster\n", count / tTaglibOgg,
              tTaglibOgg / tOursOgg);
  std::printf("  read alike: MP3 %d/%d, Ogg %d/%d   (checksum %zu)\n", mp3Same, count, oggSame,
              count, sink % 1000);
  return (mp3Same == count && oggSame == count) ? 0 : 2;
}
