// The toolkit's standard texts appear in Spanish once the program's start-up loads them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMessageBox>

#include "ui/ToolkitSpanish.h"

namespace {

TEST(ToolkitSpanish, MessageBoxButtonsAndFileDialogTextsAreSpanish) {
  ASSERT_TRUE(vemla::ui::installToolkitSpanish(*QCoreApplication::instance()))
      << "the toolkit's Spanish catalogue (qt6-translations-l10n) is missing";
  QMessageBox box(QMessageBox::Question, "VemlaPlayer", "?",
                  QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), "Cancelar");
  EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Sí");
  EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "No");
  const struct {
    const char* context;
    const char* english;
  } texts[] = {{"QFileDialog", "Look in:"}, {"QFileDialog", "File &name:"},
               {"QFileDialog", "Files of type:"}, {"QFileDialog", "&Open"},
               {"QFileDialog", "&Save"}};
  for (const auto& t : texts) {
    EXPECT_NE(QCoreApplication::translate(t.context, t.english), QString::fromUtf8(t.english))
        << t.english;
  }
}

}  // namespace
