#include "environment/catalogue_access.h"

namespace zb::environment {
namespace {
void (*g_login)() = nullptr;
}  // namespace

ProgramCatalogue& Catalogue() {
  // Never destroyed: exports may still be called while the process ends.
  static ProgramCatalogue* catalogue = new ProgramCatalogue;
  return *catalogue;
}

void SetCatalogueLoginHook(void (*login)()) { g_login = login; }

void LoginForCatalogue() {
  if (g_login) g_login();
}

}  // namespace zb::environment
