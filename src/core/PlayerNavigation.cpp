// Which entry plays: the selected one, the next, the previous, under repeat and random.
#include <climits>
#include <random>

#include "core/Player.h"

namespace vemla::core {

namespace {

size_t CharCount(std::string_view s) {
  size_t n = 0;
  for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

}  // namespace

int Player::NextIndex() { return StepIndex(+1); }

int Player::PreviousIndex() { return StepIndex(-1); }

// Repeat and random apply to both directions alike and share each entry's RepeatDone.
int Player::StepIndex(int step) {
  // An entry left current after a removal or a clear may lie past the end; its clear record
  // must stay clear, so repeat only counts for entries in the list.
  if (RepeatMode && List.CurrentEntry >= 1 && List.CurrentEntry <= List.EntryCount) {
    playlist::Tcancion& e = List.Entries[List.CurrentEntry];
    if (!e.RepeatDone) {
      e.RepeatDone = true;
      return List.CurrentEntry;
    }
    e.RepeatDone = false;
  }
  if (RandomMode) {
    if (List.EntryCount < 1) return 1;
    std::uniform_int_distribution<int> draw(1, List.EntryCount);
    int r = draw(rng_);
    if (r != List.CurrentEntry) return r;
    return draw(rng_);
  }
  return List.CurrentEntry + step;
}

void Player::ShowStartedEntry(int index) {
  const std::string line = List.Entries[index].DisplayLine;
  View().SetTitleLine(line);
  View().SetTrayHint(line);
  View().ShowNowPlayingInfo();
}

void Player::PlayNext() {
  // Unreadable entries are passed over one after another. In sequential order the chain ends at
  // the end of the list; random order never ends by itself, so it is bounded by the list size.
  int skipsLeft = RandomMode ? List.EntryCount : INT_MAX;
  while (true) {
    int a = NextIndex();
    if (!List.IsPlayable(a)) return;
    List.CurrentEntry = a;
    playlist::Tcancion& e = List.Entries[a];
    View().SelectRow(e.ListPosition - 1);
    if (e.InfoPending && ReadEntryInfo(e.Path, a) != 0) {
      if (--skipsLeft <= 0) return;
      continue;
    }
    StartAt(a);
    return;
  }
}

// Steps shared by PlayNext and PlayPrevious once the entry is current and read.
void Player::StartAt(int index) {
  int slot = OpenEntryStream(List.Entries[index].Path, index);
  LastOpenResult = slot;
  if (slot < 0) return;  // whatever played goes on playing
  StartStream(slot);
  ShowStartedEntry(index);
}

void Player::PlayPrevious() {
  int a = PreviousIndex();
  if (a <= 0 || !List.IsPlayable(a)) return;
  if (List.CurrentEntry == 0) {
    List.CurrentEntry = 1;
    return;
  }
  List.CurrentEntry = a;
  playlist::Tcancion& e = List.Entries[a];
  View().SelectRow(e.ListPosition - 1);
  if (e.InfoPending && ReadEntryInfo(e.Path, a) != 0) {
    PlayNext();
    return;
  }
  StartAt(a);
}

void Player::PlaySelected() {
  int a = SelectedEntry();
  if (a < 0 || !List.IsPlayable(a)) return;
  StopPlayback();
  playlist::Tcancion& e = List.Entries[a];
  if (e.InfoPending && ReadEntryInfo(e.Path, a) != 0) {
    PlayNext();
    return;
  }
  int slot = OpenEntryStream(e.Path, a);
  LastOpenResult = slot;
  if (slot < 0) {
    PlayNext();
    return;
  }
  if (!StartStream(slot)) {
    PlayNext();
    return;
  }
  if (List.CurrentEntry >= 1 && List.CurrentEntry <= List.EntryCount) {
    List.Entries[List.CurrentEntry].RepeatDone = false;
  }
  List.CurrentEntry = a;
  e.RepeatDone = false;
  ShowStartedEntry(a);
  TitleOffset = 0;
  TitleBackwards = 0;
  MiniTitleOffset = 0;
  MiniTitleBackwards = 0;
  View().RestartTitleScroll(CharCount(e.DisplayLine.view()) > 26);
}

}  // namespace vemla::core
