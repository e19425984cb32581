// Playlist operations that keep the list view in step with the model, and list files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "core/Player.h"
#include "playlist/EntryInfo.h"
#include "playlist/PlaylistFile.h"

namespace vemla::core {

using playlist::AddResult;

bool Player::ReportAdd(AddResult result) {
  if (result == AddResult::Added) {
    View().AppendRow(List.Entries[List.EntryCount].DisplayLine);
    return true;
  }
  if (result == AddResult::Full && !fullReported_) {
    // Once per filling: a drop of hundreds of files must not raise hundreds of boxes.
    fullReported_ = true;
    View().ShowMessage(kPlaylistFullMessage);
  }
  return false;
}

bool Player::AddFileEntry(const std::string& path) {
  return ReportAdd(List.AddFileEntry(audio_, path));
}

bool Player::AddCdTrackEntry(int drive, int track, const std::string& name) {
  return ReportAdd(List.AddCdTrackEntry(audio_, drive, track, name));
}

bool Player::AddListedEntry(const std::string& path, const std::string& author,
                            const std::string& title, int32_t seconds) {
  return ReportAdd(List.AddListedEntry(path, author, title, seconds));
}

bool Player::AddListedCdTrack(int drive, int track, const std::string& title, int32_t seconds) {
  return ReportAdd(List.AddListedCdTrack(drive, track, title, seconds));
}

int Player::ReadCdTrackInfo(int drive, int track, int entryIndex, const std::string& name) {
  if (entryIndex < 1 || entryIndex > List.EntryCount) return -1;
  return playlist::ReadCdTrackInfo(audio_, drive, track, List.Entries[entryIndex], name);
}

void Player::RemoveEntry(int index) {
  if (index < 1 || index > List.EntryCount) return;
  List.RemoveEntry(index);
  // Rows before the removed one are unchanged; rewrite from there on, then drop the last row.
  for (int r = index - 1; r < List.EntryCount; ++r) {
    View().SetRowText(r, List.Entries[r + 1].DisplayLine);
  }
  View().RemoveRow(List.EntryCount);
  fullReported_ = false;
}

void Player::ClearPlaylist() {
  if (List.EntryCount == 0) return;
  List.ClearPlaylist();
  View().ClearRows();
  fullReported_ = false;
}

void Player::RefreshListRows() {
  for (int r = 0; r < List.EntryCount; ++r) {
    View().SetRowText(r, List.Entries[r + 1].DisplayLine);
  }
}

int Player::SelectedEntry() const {
  if (List.EntryCount <= 0) return -2;
  int row = View().SelectedRow();
  if (row < 0 || row >= List.EntryCount) return -1;
  return row + 1;
}

int Player::PlaylistKindOf(const std::string& path) { return playlist::PlaylistKindOf(path); }

namespace {

// Appends what a list names, handing the rows to the view in batches.
class RowSink : public playlist::ListSink {
 public:
  explicit RowSink(Player& p) : p_(p) { rows_.reserve(kBatch); }
  ~RowSink() override { Flush(); }

  bool ListedEntry(const std::string& path, const std::string& title, int32_t seconds) override {
    return Took(p_.List.AddListedEntry(path, std::string(), title, seconds));
  }
  bool ListedCdTrack(int drive, int track, const std::string& title, int32_t seconds) override {
    return Took(p_.List.AddListedCdTrack(drive, track, title, seconds));
  }
  bool full = false;

  void Flush() {
    if (!rows_.empty()) p_.View().AppendRows(rows_);
    rows_.clear();
  }

 private:
  static constexpr size_t kBatch = 4096;
  bool Took(AddResult r) {
    if (r != AddResult::Added) {
      full = r == AddResult::Full;
      return false;
    }
    rows_.push_back(p_.List.Entries[p_.List.EntryCount].DisplayLine);
    if (rows_.size() >= kBatch) Flush();
    return true;
  }
  Player& p_;
  std::vector<playlist::Text> rows_;  // shared with the entries
};

// Cheap check before reading a whole file that may be anything at all.
bool StartsAsList(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  char head[9] = {};
  ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  if (n < 7 || std::memcmp(head, "#EXTM3U", 7) != 0) return false;
  return n == 7 || head[7] == '\n' || (head[7] == '\r' && (n == 8 || head[8] == '\n'));
}

}  // namespace

bool Player::LoadList(const std::string& path, bool deferMessage, bool readBack) {
  std::string bytes;
  if (!StartsAsList(path) || !playlist::ReadWholeFile(path, bytes)) return false;
  playlist::ListReadResult result;
  bool full = false;
  {
    RowSink sink(*this);
    result = playlist::ParsePlaylist(bytes, playlist::ListFolder(path), sink);
    sink.Flush();
    full = sink.full;
  }
  if (full) {
    if (deferMessage && !fullReported_) {
      // Before the windows are up the box would stand alone on the screen.
      fullReported_ = true;
      pendingMessages_.push_back(kPlaylistFullMessage);
    } else {
      ReportAdd(AddResult::Full);
    }
  }
  if (result.error.empty()) return readBack && playlist::ReadsBackAs(bytes, List);
  if (deferMessage) {
    pendingMessages_.push_back(result.error);
  } else {
    View().ShowMessage(result.error);
  }
  return false;
}

void Player::LoadPlaylistFile(const std::string& path) { LoadList(path, false); }

void Player::LoadAutosaveList() {
  autosaveReadWhole_ = LoadList(AutosaveListReadPath(), true, true);
}

void Player::ShowPendingMessage() {
  std::vector<std::string> texts;
  texts.swap(pendingMessages_);
  for (const std::string& text : texts) View().ShowMessage(text);
}

std::string Player::WritePlaylistFile(const std::string& path) {
  return playlist::WriteFileReplacing(path, playlist::FormatPlaylist(List));
}

bool Player::SaveAutosaveList() { return WritePlaylistFile(AutosaveListPath()).empty(); }

void Player::HandOverFile(const std::string& path) {
  switch (PlaylistKindOf(path)) {
    case 0:
      AddFileEntry(path);
      break;
    case 2:
      LoadPlaylistFile(path);
      break;
    default:
      break;  // PLS lists are recognised and ignored
  }
}

void Player::SaveListAs(const std::string& chosenName) {
  std::string name = playlist::SaveListName(chosenName);
  std::string error = WritePlaylistFile(name);
  if (!error.empty()) View().ShowMessage("No se pudo guardar la lista \"" + name + "\": " + error);
}

}  // namespace vemla::core
