// The mail to the suite's support: the installation protocol, the
// diagnostic log, a project file and the current position attached, handed
// to the system's mail client, or the same files copied into a folder.
#ifndef ZBDB_EXCHANGE_MAIL_H_
#define ZBDB_EXCHANGE_MAIL_H_

#include <cstdint>
#include <functional>
#include <string>

#include "zbdb900_types.h"

namespace zb::projectstore {
class Store;
}  // namespace zb::projectstore

namespace zb::exchange {

constexpr uint32_t kMailProtocol = 1;  // "protocol.txt" of the installation
constexpr uint32_t kMailReport = 2;    // the diagnostic log
constexpr uint32_t kMailProject = 4;   // the selected project's file
constexpr uint32_t kMailPosition = 8;  // the current position's working file

// SendSupportMail's result where no mail client can be reached.
constexpr int32_t kNoMailClient = -1;
// What the user sees when the client offers no sending.
constexpr char kNoMailSupportText[] = "Unable to load mail system support.";

// The support's mailbox, unless ZBDB_SUPPORT_MAIL names another.
constexpr char kSupportMailbox[] = "support@zb-statik.de";

struct MailOrder {
  uint32_t flags = 0;
  ZBPROPOS_L request{};  // program, data folder, project, position
  int32_t project_number = 0;  // the selected project's entry; 0: none
  // Opens the position into request->szTmpDatei when it has no working
  // file yet (the silent open); true when that gave records.
  std::function<bool(ZBPROPOS_L* request)> open_position;
};

// The body of the mail, line by line as the support expects it.
std::string MailBody(const MailOrder& order);

// Builds the mail and hands it to the mail client (the log tells what it
// attached and how the client answered); the client's result, or
// kNoMailClient.
int32_t SendSupportMail(projectstore::Store& store, MailOrder& order,
                        uintptr_t parent);

// Copies the files into `folder` (made when missing): the protocol under
// its name, the log as "DBReport.log", the project as "PRO00900.PRO", the
// position as its working file's name with ".zbpos". The number copied;
// negative when the folder cannot be made.
int32_t SaveMailAttachments(projectstore::Store& store, MailOrder& order,
                            const std::string& folder);

}  // namespace zb::exchange

#endif  // ZBDB_EXCHANGE_MAIL_H_
