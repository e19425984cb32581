#include "ui/PlaylistRows.h"

#include <algorithm>

namespace vemla::ui {

int PlaylistRows::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant PlaylistRows::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  const std::string_view text = rows_[static_cast<size_t>(index.row())].view();
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void PlaylistRows::append(const std::string& text) {
  int n = rowCount();
  beginInsertRows({}, n, n);
  rows_.emplace_back(text);
  endInsertRows();
}

namespace {
template <class Texts>
void appendAll(std::vector<playlist::Text>& rows, const Texts& texts) {
  rows.reserve(std::max(rows.size() + texts.size(), 2 * rows.capacity()));
  for (const auto& t : texts) rows.emplace_back(t);
}
}  // namespace

void PlaylistRows::append(const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  int n = rowCount();
  beginInsertRows({}, n, n + static_cast<int>(texts.size()) - 1);
  appendAll(rows_, texts);
  endInsertRows();
}

void PlaylistRows::append(const std::vector<playlist::Text>& texts) {
  if (texts.empty()) return;
  int n = rowCount();
  beginInsertRows({}, n, n + static_cast<int>(texts.size()) - 1);
  appendAll(rows_, texts);
  endInsertRows();
}

void PlaylistRows::setText(int row, const std::string& text) {
  if (row < 0 || row >= rowCount()) return;
  rows_[static_cast<size_t>(row)] = text;
  QModelIndex i = index(row);
  emit dataChanged(i, i, {Qt::DisplayRole});
}

void PlaylistRows::remove(int row) {
  if (row < 0 || row >= rowCount()) return;
  beginRemoveRows({}, row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

void PlaylistRows::clear() {
  if (rows_.empty()) return;
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  endResetModel();
}

}  // namespace vemla::ui
