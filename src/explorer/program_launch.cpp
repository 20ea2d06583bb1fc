#include "explorer/program_launch.h"

#include <cstdio>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {

using recordstore::FieldText;
using StartResult = platform::Platform::StartResult;

namespace {

// The task file's position values: a blank, the quoted text, a blank.
std::string Quoted(const std::string& text) { return " \"" + text + "\" "; }

std::string Replaced(std::string text, const std::string& value) {
  const size_t at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

std::string Formatted(const char* format, const std::string& a,
                      const std::string& b, const std::string& c = "",
                      const std::string& d = "") {
  char text[2048];
  std::snprintf(text, sizeof text, format, a.c_str(), b.c_str(), c.c_str(),
                d.c_str());
  return text;
}

bool NoProgram(const std::string& key) { return key.empty() || key == "ALLE"; }

}  // namespace

const char* LaunchModeText(LaunchMode mode) {
  switch (mode) {
    case LaunchMode::kOpen: return "";
    case LaunchMode::kNewPosition: return "mit neuer Position";
    case LaunchMode::kPrint: return "print";
    case LaunchMode::kPreview: return "preview";
  }
  return "";
}

std::string TaskFilePath(const environment::LibraryContext& context) {
  return context.folders.configuration + "ZB_Kem.ini";
}

void WriteTaskFile(environment::LibraryContext& context,
                   const ZBPROPOS_L& request, LaunchMode mode) {
  platform::Platform& os = context.os();
  const std::string path = TaskFilePath(context);
  os.RemoveFile(path);
  os.WriteProfileText(path, "Position1", "PosName",
                      Quoted(FieldText(request.szPosName)));
  os.WriteProfileText(path, "Position1", "PosNameLong",
                      Quoted(FieldText(request.szPosNameLong)));
  os.WriteProfileText(path, "Position1", "ProName",
                      Quoted(FieldText(request.szProName)));
  os.WriteProfileText(path, "Position1", "DataPath",
                      Quoted(FieldText(request.szDataPfad)));
  os.WriteProfileText(path, "ParentThread", "ClassName", "ZB_Explorer");
  os.WriteProfileText(path, "ParentThread", "WindowTitel",
                      "ZB_Dokument_Manager//Explorer");
  if (mode != LaunchMode::kPrint && mode != LaunchMode::kPreview) return;
  os.WriteProfileText(path, "Options", "NoSplash", "True");
  os.WriteProfileText(path, "Options", "Silent", "True");
  os.WriteProfileText(path, "Tasks", "Count", "1");
  os.WriteProfileText(path, "Task1", "Count", "1");
  os.WriteProfileText(path, "Task1", "Cmd1",
                      mode == LaunchMode::kPrint ? "PrintAll" : "SavePreview");
}

bool LaunchProgram(environment::LibraryContext& context,
                   const std::string& program_key, const ZBPROPOS_L& request,
                   LaunchMode mode) {
  environment::Ui& ui = context.ui();
  if (NoProgram(program_key)) {
    ui.Ask(context.message_title,
           Replaced("Programm '%1' kann nicht gestartet werden .\n W\xE4hlen "
                    "Sie zuerst ein Programm aus "
                    "(Menu/Ansicht/Programmfilter...) ",
                    program_key),
           environment::Buttons::kOk, environment::Icon::kInformation);
    return false;
  }
  WriteTaskFile(context, request, mode);
  const environment::ProgramCatalogue& catalogue = context.catalogue;
  const int index = catalogue.FindKey(program_key);
  const std::string exe_name =
      index >= 0 ? FieldText(catalogue.entry(index).line.exe) : "";
  const std::string parameters =
      index >= 0 ? FieldText(catalogue.entry(index).line.parameters) : "";
  const std::string executable = context.folders.program + exe_name;
  char arguments[1024];
  std::snprintf(arguments, sizeof arguments, "/C %c%s%c %s", '"',
                TaskFilePath(context).c_str(), '"', parameters.c_str());
  const char* mode_text = LaunchModeText(mode);
  context.log.Append(Formatted("\n\n*** START: %s : %s mit Pro %s Pos %s ",
                               executable, mode_text,
                               FieldText(request.szProName),
                               FieldText(request.szPosNameLong)));
  const bool wait = mode == LaunchMode::kPrint || mode == LaunchMode::kPreview;
  const StartResult started =
      exe_name.empty() ? StartResult::kMissing
                       : context.os().StartProcess(executable, arguments, wait);
  if (started == StartResult::kStarted) {
    context.log.Append(Formatted("\n*** ENDE %s: %s/%s \n", program_key,
                                 mode_text, "retour OK!!"));
    return true;
  }
  std::string text =
      Replaced("'%1' kann nicht gestartet werden .",
               index >= 0 ? FieldText(catalogue.entry(index).line.title)
                          : program_key) +
      "\n ";
  switch (started) {
    case StartResult::kNotExecutable:
      text += "Programmname ist keine ausf\xFChrbare Datei";
      break;
    case StartResult::kNoMemory:
      text += "Zu wenig Speicher f\xFCr den ausf\xFChrbaren Process";
      break;
    default:
      text += "ExePath falsch oder Programm nicht vorhanden\n" +
              Formatted("START: %s: %s ", program_key, executable);
      break;
  }
  ui.Ask(context.message_title, text, environment::Buttons::kOk,
         environment::Icon::kInformation);
  context.log.Append(Formatted("\n*** ENDE %s: %s/%s \n", program_key,
                               mode_text, "fehler!!"));
  return false;
}

}  // namespace zb::explorer
