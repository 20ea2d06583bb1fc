#include "explorer/cleanup.h"

#include <cctype>
#include <vector>

#include "api/library.h"
#include "environment/library_context.h"
#include "environment/strings.h"
#include "explorer/texts.h"
#include "platform/platform.h"

namespace zb::explorer {

namespace {

std::string Joined(std::string folder, const std::string& name) {
  if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
    folder += '\\';
  return folder + name;
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] == '/' ? '\\' : a[i], y = b[i] == '/' ? '\\' : b[i];
    if (std::tolower(static_cast<unsigned char>(x)) !=
        std::tolower(static_cast<unsigned char>(y)))
      return false;
  }
  return true;
}

void Remove(platform::Platform& os, const std::string& path,
            CleanupResult* result) {
  if (!os.FileExists(path)) return;
  if (os.RemoveFile(path).ok())
    ++result->deleted;
  else
    ++result->kept;
}

}  // namespace

CleanupResult RunCleanup(api::Library& lib, const CleanupChoice& choice) {
  platform::Platform& os = lib.os();
  environment::LibraryContext& context = lib.context();
  CleanupResult result;
  if (choice.settings)
    Remove(os, Joined(context.folders.configuration, "DBHISTORY.INI"), &result);
  if (choice.temporary && !context.folders.temporary.empty()) {
    const std::string prefix = choice.all_programs ? "" : choice.program;
    std::vector<platform::DirEntry> entries;
    os.FindFiles(Joined(context.folders.temporary, prefix + "*.TMP"), &entries);
    for (const platform::DirEntry& entry : entries) {
      if (entry.is_folder) continue;
      const std::string path = Joined(context.folders.temporary, entry.name);
      if (SamePath(path, context.position_lock.working_path)) {
        ++result.kept;
        continue;
      }
      Remove(os, path, &result);
    }
  }
  if (choice.log) Remove(os, context.log_path(), &result);
  return result;
}

std::string CleanupReport(const CleanupResult& result) {
  std::string text = environment::FillPlaceholders("%1 Datei(en) gel\xF6scht.",
                                                   Number(result.deleted));
  if (result.kept > 0)
    text += environment::FillPlaceholders(
        "\n%1 Datei(en) sind in Benutzung und bleiben erhalten.",
        Number(result.kept));
  return text;
}

}  // namespace zb::explorer
