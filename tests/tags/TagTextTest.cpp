#include <gtest/gtest.h>

#include "tags/GenreNames.h"
#include "tags/TagText.h"

using namespace vemla::tags;

TEST(TagText, Latin1RoundTripAndReplacement) {
  struct Case {
    std::string utf8, latin1;
  } cases[] = {
      {"abc", "abc"},
      {"Canci\xC3\xB3n \xC3\xB1", "Canci\xF3n \xF1"},
      {"\xC3\xBF", "\xFF"},
      {"\xE2\x82\xAC", "?"},          // euro sign is outside ISO-8859-1
      {"a\xF0\x9F\x8E\xB5z", "a?z"},  // one character, one "?"
      {"x\x80y", "x?y"},              // stray continuation byte
      {"\xC3", "?"},                  // truncated sequence
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::Utf8ToLatin1(c.utf8), c.latin1) << c.utf8;
  }
  std::string all;
  for (int i = 1; i < 256; ++i) all += char(i);
  EXPECT_EQ(text::Utf8ToLatin1(text::Latin1ToUtf8(all)), all);
}

TEST(TagText, DecodeUtf8StopsAtBrokenSequences) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"ab\xC3", "ab"},
      {"ab\xC3x\xC3\xA9", "ab"},
      {"\xF0\x9F\x8E\xB5!", "\xF0\x9F\x8E\xB5!"},  // four-byte characters are kept whole
      {"a\xE2\x82", "a"},
      {"a\xC0\xAF"
       "z",
       "a?z"},  // overlong
      {"a\xED\xA0\x80"
       "z",
       "a?z"},  // surrogate
      {"a\x80\x80"
       "z",
       "a?z"},  // continuation byte as lead
      {"a\xF8\x80\x80"
       "z",
       "a?z"},                      // no such lead
      {"a\xF4\x90\x80\x80", "a?"},  // above U+10FFFF
      {"a\xFF", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(text::DecodeUtf8(c.in), c.out) << c.in;
}

TEST(TagText, Utf16ToUtf8) {
  using namespace std::string_literals;
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"\x41", ""},  // half a code unit
      {"\0A\0\x7F\0\x80\x07\xFF\x08\x00"s, "A\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"},
      {"\xFF\xFF", "\xEF\xBF\xBF"},
      {"\xD8\x00\xDC\x00"s, "\xF0\x90\x80\x80"},  // U+10000
      {"\xDB\xFF\xDF\xFF", "\xF4\x8F\xBF\xBF"},   // U+10FFFF
      {"\xFF\xFE\x00\xD8\x00\xDC"s, "\xF0\x90\x80\x80"},
      {"\xFE\xFF\x00\x61\xFE\xFF"s, "a\xEF\xBB\xBF"},  // a mark inside a string is text
      {std::string("\xFF\xFEx\0\0\0y\0", 8), std::string("x\0y", 3)},  // order carries on
      {std::string("\xFF\xFEx\0\0\0\xFE\xFF\0y", 10), std::string("x\0y", 3)},
      {"\xD8\x00\x00\x61"s, "?a"},
      {"\xDC\x00\xD8\x00"s, "?"},  // last high surrogate was cut off
  };
  for (const auto& c : cases) EXPECT_EQ(text::Utf16ToUtf8(c.in), c.out) << c.in;
}

TEST(TagText, TrackNumbers) {
  struct Case {
    std::string in;
    int out;
  } cases[] = {{"7/12", 7}, {"07", 7},   {"A7", 0}, {"300", 44},       {" 3 ", 3}, {"", 0},
               {"/5", 0},   {"-1", 255}, {"+9", 9}, {"4294967303", 0}, {"3.0", 0}, {"x", 0}};
  for (const auto& c : cases) EXPECT_EQ(text::TrackNumber(c.in), c.out) << c.in;
}

TEST(GenreNames, PublishedListIncludingItsSpellings) {
  std::pair<int, std::string> cases[] = {
      {0, "Blues"},         {67, "Psychadelic"}, {92, "Progessive Rock"},
      {144, "Trash Metal"}, {147, "Synthpop"},   {148, ""}};
  for (const auto& [code, name] : cases) EXPECT_EQ(GenreNames::Name(code), name) << code;
  for (int i = 0; i < GenreNames::kCount; ++i) EXPECT_FALSE(GenreNames::Name(i).empty()) << i;
}
