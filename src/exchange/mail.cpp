#include "exchange/mail.h"

#include <cstdio>
#include <memory>
#include <string>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/file_copy.h"
#include "projectstore/project_names.h"
#include "projectstore/store.h"
#include "recordstore/typed_records.h"

namespace zb::exchange {
namespace {

using recordstore::FieldText;

constexpr char kStars[] = "****************************************";

std::string Line(const char* format, const std::string& a,
                 const std::string& b = std::string()) {
  char text[512];
  std::snprintf(text, sizeof text, format, a.c_str(), b.c_str());
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string ProtocolPath(platform::Platform& os) {
  return platform::ProductFolder(os) + "\\protocol.txt";
}

std::string ProjectPath(projectstore::Store& store, const MailOrder& order) {
  return projectstore::ProjectFilePath(
      store, FieldText(order.request.szDataPfad), order.project_number);
}

// The position's working file as ".zbpos" beside it; empty when there is
// none or the copy fails. A request without a working file is opened first.
std::string PositionCopy(projectstore::Store& store, MailOrder& order) {
  ZBPROPOS_L& request = order.request;
  const bool has_file = FieldText(request.szTmpDatei).size() >
                        FieldText(request.szTmpPfad).size();
  if (!has_file && !(order.open_position && order.open_position(&request)))
    return std::string();
  const std::string working = FieldText(request.szTmpDatei);
  std::string copy = working;
  const size_t dot = copy.rfind(".tmp");
  const size_t dot_upper = copy.rfind(".TMP");
  const size_t at = dot != std::string::npos ? dot : dot_upper;
  if (at == std::string::npos) copy += ".zbpos";
  else copy.replace(at, 4, ".zbpos");
  return projectstore::CopyFileReplacing(store.os(), working, copy)
             ? copy
             : std::string();
}

std::string NameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/") + 1);
}

const char* MapiText(int32_t result) {
  switch (result) {
    case 0: return "The call succeeded and the message was sent.";
    case 1: return "The user canceled one of the dialog boxes. No message was sent.";
    case 2: return "One or more unspecified errors occurred. No message was sent.";
    case 3: return "There was no default logon, and the user failed to log on successfully when the logon dialog box was displayed. No message was sent.";
    case 5: return "There was insufficient memory to proceed. No message was sent.";
    case 9: return "There were too many file attachments. No message was sent. ";
    case 10: return "There were too many recipients. No message was sent.";
    case 11: return "The specified attachment was not found. No message was sent. ";
    case 12: return "The specified attachment could not be opened. No message was sent. ";
    case 14: return "A recipient did not appear in the address list. No message was sent. ";
    case 15: return "The type of a recipient was not MAPI_TO, MAPI_CC, or MAPI_BCC. No message was sent.";
    case 18: return "The text in the message was too large. No message was sent. ";
    case 21: return "A recipient matched more than one of the recipient descriptor structures and MAPI_DIALOG was not set. No message was sent.";
    case 25: return "One or more recipients were invalid or did not resolve to any address. ";
    default: return "";
  }
}

}  // namespace

std::string MailBody(const MailOrder& order) {
  const ZBPROPOS_L& r = order.request;
  std::string body = Line("%-40s \n", kStars);
  body += Line("* %-10s: %s \n", "PROGRAMM", FieldText(r.szPrgName));
  if (order.flags & (kMailProject | kMailPosition))
    body += Line("* %-10s: %s \n", "PROJEKT", FieldText(r.szProName));
  if (order.flags & kMailPosition) {
    const std::string name = Trimmed(FieldText(r.szPosNameLong));
    body += Line("* %-10s: %s \n", "POSITION", name.empty() ? "NoName" : name);
  }
  body += Line("%-40s \n", kStars);
  body += Line("%s ", "\nBITTE MODIFIZIEREN SIE DIE ZIEL-ADRESSE und DEN INHALT\n");
  body += Line("\n\n%s \n", "Sehr geehrte Damen und Herren, ......");
  return body;
}

int32_t SendSupportMail(projectstore::Store& store, MailOrder& order,
                        uintptr_t parent) {
  platform::Platform& os = store.os();
  environment::Log& log = store.log();
  const std::unique_ptr<platform::MailClient> client = os.LoadMailClient();
  if (!client) {
    log.Append("#### Send Mail Error : can't load MAPI32.DLL");
    return kNoMailClient;
  }
  log.Append("\n =>=>=>=> Send Mail ");
  if (!client->CanSend()) {
    store.ui().Ask(store.context().message_title, kNoMailSupportText,
                   environment::Buttons::kOk, environment::Icon::kError);
    log.Append("#### Send Mail Error : GetProsAddress 'MAPISendMail' failed");
    return kNoMailClient;
  }
  platform::MailMessage mail;
  const std::string mailbox = os.EnvironmentText("ZBDB_SUPPORT_MAIL");
  mail.recipient = mailbox.empty() ? kSupportMailbox : mailbox;
  mail.subject = FieldText(order.request.szPrgName);
  auto attach = [&mail](const std::string& path) {
    mail.attachments.push_back({path, NameOf(path)});
  };
  if (order.flags & kMailProtocol) {
    log.Append("====> Send PROTOKOL...");
    if (os.FileExists(ProtocolPath(os))) attach(ProtocolPath(os));
  }
  if (order.flags & kMailReport) {
    log.Append("====> Send REPORT...");
    if (os.FileExists(log.path())) attach(log.path());
  }
  if ((order.flags & kMailProject) && order.project_number > 0) {
    log.Append("====> Send PROJECT...");
    attach(ProjectPath(store, order));
  }
  if (order.flags & kMailPosition) {
    const std::string copy = PositionCopy(store, order);
    log.Append("====> Send POSITION...");
    if (!copy.empty()) attach(copy);
  }
  log.Append("\n====> Send from :");
  mail.body = MailBody(order);
  const int32_t result = client->Send(mail, parent);
  if (result != 0) log.Append(std::string("\n") + MapiText(result));
  return result;
}

int32_t SaveMailAttachments(projectstore::Store& store, MailOrder& order,
                            const std::string& folder) {
  platform::Platform& os = store.os();
  std::string target = folder;
  while (!target.empty() && target.back() == '\\') target.pop_back();
  if (!os.IsFolder(target) && !os.CreateFolder(target).ok()) return -1;
  int32_t copied = 0;
  auto copy = [&](const std::string& from, const std::string& name) {
    if (!from.empty() && os.FileExists(from) &&
        projectstore::CopyFileReplacing(os, from, target + "\\" + name))
      ++copied;
  };
  if (order.flags & kMailProtocol) copy(ProtocolPath(os), "protocol.txt");
  if (order.flags & kMailReport) copy(store.log().path(), "DBReport.log");
  if ((order.flags & kMailProject) && order.project_number > 0)
    copy(ProjectPath(store, order), "PRO00900.PRO");
  if (order.flags & kMailPosition) {
    const std::string position = PositionCopy(store, order);
    copy(position, NameOf(position));
  }
  return copied;
}

}  // namespace zb::exchange
