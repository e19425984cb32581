// Files and folders opened from outside: appended in order, folders expanded and sorted, the
// first added entry played, unplayable ones skipped.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "core/OpenPaths.h"
#include "core/PlayerRig.h"

namespace fs = std::filesystem;
using namespace vemla;
using test::PlayerRig;

namespace {

TEST(OpenPaths, FoldersGiveTheirPlayableFilesSortedSubfoldersIncluded) {
  PlayerRig rig;
  const fs::path d = test::tempDir() / "opened";
  for (const char* name : {"b.mp3", "a.OGG", "notes.txt", "sub/c.flac", "sub/z.jpg", "a b.wav",
                           "zz/.hidden.mp3", "noext"}) {
    test::writeFile("opened/" + std::string(name), "x");
  }
  fs::create_directory_symlink(d, d / "loop");
  const std::string f = test::writeFile("single.mp3", "x").string();
  const auto got = core::ExpandOpenedPaths({f, d.string(), "/no/such/file.mp3"});
  const std::vector<std::string> want = {f,
                                         (d / "a b.wav").string(),
                                         (d / "a.OGG").string(),
                                         (d / "b.mp3").string(),
                                         (d / "sub/c.flac").string(),
                                         (d / "zz/.hidden.mp3").string(),
                                         "/no/such/file.mp3"};
  EXPECT_EQ(got, want);
  EXPECT_EQ(core::ExpandOpenedPaths({d.string()}, 2).size(), 2u);
}

TEST(OpenPaths, AbsolutePathsFoldDotsAndKeepRawBytes) {
  char cwd[4096];
  ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
  const std::string here(cwd);
  const struct {
    std::string in, out;
  } cases[] = {{"/a/./b/../c.mp3", "/a/c.mp3"},
               {"x.mp3", here + "/x.mp3"},
               {"./d/x.mp3", here + "/d/x.mp3"},
               {"/m\xe9sica/\xff.mp3", "/m\xe9sica/\xff.mp3"},
               {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(core::AbsolutePath(c.in), c.out) << c.in;
}

TEST(OpenPaths, AppendsInOrderAndPlaysTheFirstAdded) {
  PlayerRig rig;
  rig.AddSongs(2);
  rig.PlayEntry(2);
  const std::string bad = test::writeFile("unplayable.mp3", "x").string();  // no script: fails
  const std::string x = rig.Song("x.mp3"), y = rig.Song("y.wav");
  EXPECT_EQ(core::OpenAndPlay(rig.player, {bad, "/gone.mp3", x, y}), 2);
  ASSERT_EQ(rig.player.List.EntryCount, 4);
  EXPECT_EQ(rig.PathOf(3), x);
  EXPECT_EQ(rig.PathOf(4), y);
  EXPECT_EQ(rig.Playing(), x);
  EXPECT_EQ(rig.player.List.CurrentEntry, 3);
  rig.ExpectRowsInStep();

  // Nothing playable: what plays goes on playing.
  EXPECT_EQ(core::OpenAndPlay(rig.player, {bad, "/gone.mp3"}), 0);
  EXPECT_EQ(rig.Playing(), x);
  EXPECT_EQ(rig.player.List.EntryCount, 4);
}

}  // namespace
