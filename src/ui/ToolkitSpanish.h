#pragma once
// The toolkit's own texts (file dialogs, message-box buttons, context menus of text fields) in
// Spanish whatever the system locale, so they match the rest of the program.
class QCoreApplication;

namespace vemla::ui {

// Loads the toolkit's Spanish catalogue (Debian: qt6-translations-l10n) into `app`. False when
// it is not installed; the program then runs with the toolkit's English texts.
bool installToolkitSpanish(QCoreApplication& app);

}  // namespace vemla::ui
