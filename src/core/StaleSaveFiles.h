#pragma once
// Saves write a temporary file beside the file they replace and rename it over that file; a save
// killed half-way leaves its temporary file behind for ever. These are removed at start-up.
#include <string>

namespace vemla::core {

// Removes, beside `file` (beside the file it names, when it is a link), the temporary files our
// writers make for it: "<name>.XXXXXX" (six letters or digits) and "<name>.tmp-<pid>-<n>". Only
// regular files of this user that no save is writing (a writer holds a lock on its file) and
// that were last written a few seconds ago or more. Returns how many were removed.
int RemoveStaleSaveFiles(const std::string& file);

// True when `name` is the name of one of those temporary files of the file named `base`.
bool IsSaveTempName(const std::string& name, const std::string& base);

}  // namespace vemla::core
