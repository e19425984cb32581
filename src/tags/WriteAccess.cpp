#include "tags/WriteAccess.h"

#include <sys/stat.h>

namespace vemla::tags {

bool WriteAccess::Clear(const std::string& fileName) {
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_mode & S_IWUSR) return true;
  return ::chmod(fileName.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

}  // namespace vemla::tags
