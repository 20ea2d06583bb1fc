// The process-wide program catalogue the catalogue exports answer from,
// and the login they run first. The library context installs its login
// as the hook; without one the exports answer from the catalogue as it is.
#ifndef ZBDB_ENVIRONMENT_CATALOGUE_ACCESS_H_
#define ZBDB_ENVIRONMENT_CATALOGUE_ACCESS_H_

#include "environment/program_catalogue.h"

namespace zb::environment {

ProgramCatalogue& Catalogue();

// login: called by the exports that log in before answering (nullptr: none).
void SetCatalogueLoginHook(void (*login)());
// Runs the installed hook, if any.
void LoginForCatalogue();

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_CATALOGUE_ACCESS_H_
