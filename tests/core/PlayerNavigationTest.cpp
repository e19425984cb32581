#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "core/PlayerRig.h"

using vemla::test::PlayerRig;

TEST(PlayerNavigation, SequentialOrderEndsAtTheLastEntry) {
  PlayerRig r;
  r.AddSongs(3);
  r.PlayEntry(3);
  r.audio.End(r.CurrentHandle());
  r.view.Pump();
  EXPECT_EQ(r.player.List.CurrentEntry, 3);
  EXPECT_NE(r.player.CurrentSlot, -1);  // the ended stream stays current until a stop
  EXPECT_EQ(r.player.Stopped, 0);
  EXPECT_EQ(r.player.LastOpenResult, 0);

  // An empty list: next and previous do nothing.
  PlayerRig e;
  e.player.PlayNext();
  e.player.PlayPrevious();
  e.player.PlaySelected();
  EXPECT_EQ(e.player.List.CurrentEntry, 0);
  EXPECT_EQ(e.audio.calls.size(), 0u);
}

TEST(PlayerNavigation, RepeatPlaysEachEntryTwice) {
  PlayerRig r;
  r.AddSongs(3);
  r.player.RepeatMode = 1;
  r.player.PlayNext();  // nothing played yet: the first request plays entry 1 at once
  EXPECT_EQ(r.player.List.CurrentEntry, 1);
  std::vector<int> order;
  for (int i = 0; i < 6; ++i) {
    r.audio.End(r.CurrentHandle());
    r.view.Pump();
    order.push_back(r.player.List.CurrentEntry);
  }
  EXPECT_EQ(order, (std::vector<int>{1, 2, 2, 3, 3, 3}));
  // "Anterior" first restarts the current entry unless it was just repeated.
  r.PlayEntry(2);
  r.player.PlayPrevious();
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
  r.player.PlayPrevious();
  EXPECT_EQ(r.player.List.CurrentEntry, 1);
}

TEST(PlayerNavigation, RandomOrder) {
  PlayerRig one;
  one.AddSongs(1);
  one.player.RandomMode = 1;
  one.PlayEntry(1);
  one.audio.End(one.CurrentHandle());
  one.view.Pump();
  EXPECT_EQ(one.player.List.CurrentEntry, 1);  // the single entry repeats
  EXPECT_EQ(one.audio.Count("ChannelPlay"), 2);

  PlayerRig r;
  r.AddSongs(5);
  r.player.RandomMode = 1;
  r.player.PlayPrevious();  // nothing played yet: only makes entry 1 current
  EXPECT_EQ(r.player.List.CurrentEntry, 1);
  EXPECT_EQ(r.player.CurrentSlot, -1);
  r.player.PlayPrevious();
  EXPECT_NE(r.player.CurrentSlot, -1);
  std::set<int> seen;
  for (int i = 0; i < 60; ++i) {
    r.player.PlayNext();
    int c = r.player.List.CurrentEntry;
    ASSERT_GE(c, 1);
    ASSERT_LE(c, 5);
    seen.insert(c);
  }
  EXPECT_EQ(seen.size(), 5u);
}

TEST(PlayerNavigation, MissingFilesOnDoubleClickAndOnNext) {
  PlayerRig r;
  r.AddSongs(3);
  r.PlayEntry(1);
  std::filesystem::remove(r.PathOf(3));
  r.PlayEntry(3);  // its file has gone: the entry after the previously current one starts
  EXPECT_EQ(r.player.List.CurrentEntry, 2);
  EXPECT_EQ(r.Playing(), r.PathOf(2));

  PlayerRig n;
  n.AddSongs(3);
  n.PlayEntry(1);
  std::filesystem::remove(n.PathOf(2));
  n.player.PlayNext();  // moves the selection, keeps the previous track playing
  EXPECT_EQ(n.player.List.CurrentEntry, 2);
  EXPECT_EQ(n.view.selected, 1);
  EXPECT_EQ(n.player.LastOpenResult, -2);
  EXPECT_EQ(n.Playing(), n.PathOf(1));
  n.player.PlayNext();  // and goes on from the missing entry
  EXPECT_EQ(n.player.List.CurrentEntry, 3);
  EXPECT_EQ(n.Playing(), n.PathOf(3));
}

TEST(PlayerNavigation, ListedEntriesAreReadBeforeTheyPlay) {
  PlayerRig r;
  std::string good1 = r.Song("listed1.ogg", 247);
  std::string good2 = r.Song("listed2.ogg", 30);
  r.player.AddListedEntry(good1, "", "Artist - Title", 247);
  r.player.AddListedEntry("/gone/away.mp3", "", "gone", 10);
  r.player.AddListedEntry(vemla::test::writeFile("songs/text.mp3", "not audio").string(), "", "",
                          1);
  r.player.AddListedEntry(good2, "", "two", 30);
  EXPECT_EQ(r.player.List.Entries[1].FormatKind, 0);  // not read yet

  r.PlayEntry(1);
  EXPECT_EQ(r.player.List.Entries[1].FormatKind, 2);
  EXPECT_EQ(r.player.List.Entries[1].Artist, "listed1");
  EXPECT_EQ(r.view.title, "1.  - Artist - Title - (04:07)");  // the row is not rebuilt
  r.audio.End(r.CurrentHandle());
  r.view.Pump();
  EXPECT_EQ(r.player.List.CurrentEntry, 4);  // two unreadable entries passed over
  EXPECT_EQ(r.Playing(), good2);
  EXPECT_TRUE(r.player.List.Entries[4].InfoPending);  // read again at every start

  // "Anterior" onto an unreadable entry makes it current, then skips forward from it:
  // the entry that was playing starts again from its beginning.
  r.player.PlayPrevious();
  EXPECT_EQ(r.player.List.CurrentEntry, 4);
  EXPECT_EQ(r.Playing(), good2);
  EXPECT_EQ(r.audio.streams.size(), 1u);
}

TEST(PlayerNavigation, SkipChainsEnd) {
  // Random order never reaches an end by itself: the chain stops after as many skips as there
  // are entries.
  PlayerRig r;
  for (int i = 0; i < 50; ++i)
    r.player.AddListedEntry("/gone/" + std::to_string(i) + ".mp3", "", "", 1);
  r.player.RandomMode = 1;
  r.player.RepeatMode = 1;
  r.PlayEntry(1);
  EXPECT_LE(r.audio.Count("StreamCreateFile"), 51 + 1);
  EXPECT_EQ(r.player.CurrentSlot, -1);

  // A long sequential chain of unreadable entries is walked without recursion.
  PlayerRig s;
  for (int i = 0; i < 20000; ++i) s.player.AddListedEntry("/gone/x.mp3", "", "", 1);
  s.player.AddListedEntry(s.Song("last.mp3"), "", "last", 10);
  s.PlayEntry(1);
  EXPECT_EQ(s.player.List.CurrentEntry, 20001);
  EXPECT_EQ(s.Playing(), s.PathOf(20001));
}

TEST(PlayerNavigation, OnlyLongTitlesScroll) {
  PlayerRig r;
  // "1.  - " + title + " - (00:01)": 16 characters around the title.
  r.player.AddListedEntry(r.Song("t26.mp3"), "", std::string(10, 'x'), 1);
  r.player.AddListedEntry(r.Song("t27.mp3"), "", std::string(11, 'x'), 1);
  r.player.AddListedEntry(r.Song("t27u.mp3"), "", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9xxxxx",
                          1);
  ASSERT_EQ(r.player.List.Entries[1].DisplayLine.size(), 26u);
  r.player.TitleOffset = 9;
  r.PlayEntry(1);
  EXPECT_FALSE(r.view.scrolling);
  EXPECT_EQ(r.player.TitleOffset, 0);
  r.PlayEntry(2);
  EXPECT_TRUE(r.view.scrolling);
  r.PlayEntry(3);  // 26 characters in 31 bytes
  EXPECT_FALSE(r.view.scrolling);
  int restarts = r.view.scrollRestarts;
  r.player.PlayNext();
  r.player.PlayPrevious();
  EXPECT_EQ(r.view.scrollRestarts, restarts);  // next and previous leave the scrolling alone
}
