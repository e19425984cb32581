#pragma once
// The rows of `Listado`: one text per playlist entry, kept as UTF-8 and turned into a QString
// only for the rows being painted, so 40,000 rows cost little memory and load at once.
#include <QAbstractListModel>
#include <string>
#include <vector>

#include "playlist/Text.h"

namespace vemla::ui {

class PlaylistRows : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  void append(const std::string& text);
  void append(const std::vector<std::string>& texts);
  void append(const std::vector<playlist::Text>& texts);
  void setText(int row, const std::string& text);
  void remove(int row);
  void clear();
  std::string text(int row) const { return rows_.at(static_cast<size_t>(row)).str(); }

 private:
  std::vector<playlist::Text> rows_;  // a quarter of std::string's size per row
};

}  // namespace vemla::ui
