#include "ui/PlaylistRows.h"

namespace vemla::ui {

int PlaylistRows::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant PlaylistRows::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  return QString::fromStdString(rows_[static_cast<size_t>(index.row())]);
}

void PlaylistRows::append(const std::string& text) {
  int n = rowCount();
  beginInsertRows({}, n, n);
  rows_.push_back(text);
  endInsertRows();
}

void PlaylistRows::append(const std::vector<std::string>& texts) {
  if (texts.empty()) return;
  int n = rowCount();
  beginInsertRows({}, n, n + static_cast<int>(texts.size()) - 1);
  rows_.insert(rows_.end(), texts.begin(), texts.end());
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
