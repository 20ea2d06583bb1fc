#include "explorer/list_print.h"

#include <algorithm>
#include <cstdio>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "recordstore/typed_records.h"

namespace zb::explorer {

using recordstore::FieldText;

namespace {

std::string Quoted(const std::string& text) { return " \"" + text + "\" "; }

std::string Key(const char* prefix, size_t n) {
  char key[16];
  std::snprintf(key, sizeof key, "%s%-d", prefix, static_cast<int>(n));
  return key;
}

std::string Line(const char* format, const std::vector<std::string>& cells) {
  const auto cell = [&cells](size_t i) {
    return i < cells.size() ? cells[i].c_str() : "";
  };
  char line[2048];
  std::snprintf(line, sizeof line, format, cell(0), cell(1), cell(2), cell(3),
                cell(4));
  return line;
}

// "H0", "H1", ... the headings in quotes, "L0", ... the list lines quoted.
void WriteLines(platform::Platform& os, const std::string& path,
                const char* section, const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == 0)
      os.WriteProfileText(path, section, Key("H", 0), "\"" + lines[0] + "\"");
    else
      os.WriteProfileText(path, section, Key("L", i - 1), Quoted(lines[i]));
  }
}

}  // namespace

std::vector<std::string> PrintLines(const PrintTable& table) {
  const size_t columns = table.captions.size() >= 5 ? 5 : 3;
  std::vector<int> widths(columns, 0);
  for (size_t c = 0; c < columns; ++c) {
    const int fixed = c < table.fixed_widths.size() ? table.fixed_widths[c] : 0;
    if (fixed > 0) {
      widths[c] = fixed;
      continue;
    }
    size_t longest = c < table.captions.size() ? table.captions[c].size() : 0;
    for (const auto& row : table.rows)
      if (c < row.size()) longest = std::max(longest, row[c].size());
    widths[c] = static_cast<int>(longest) + 1;
  }
  char format[128];
  if (columns == 5)
    std::snprintf(format, sizeof format, "%%-%ds %%-%ds %%-%ds %%-%ds %%-%ds",
                  widths[0], widths[1], widths[2], widths[3], widths[4]);
  else
    std::snprintf(format, sizeof format, "%%-%ds %%-%ds %%-%ds", widths[0],
                  widths[1], widths[2]);
  std::vector<std::string> lines{Line(format, table.captions)};
  for (const auto& row : table.rows) lines.push_back(Line(format, row));
  return lines;
}

std::string PrintJobPath(const environment::LibraryContext& context) {
  return context.folders.configuration + "ZB_Orm.ini";
}

void WriteProjectListJob(environment::LibraryContext& context,
                         const std::string& data_folder,
                         const PrintTable& table) {
  platform::Platform& os = context.os();
  const std::string path = PrintJobPath(context);
  os.RemoveFile(path);
  os.WriteProfileText(path, "PATH", "szDataPfad", data_folder);
  WriteLines(os, path, "PROJEKT", PrintLines(table));
}

void WritePositionListJob(environment::LibraryContext& context,
                          const ZBPROPOS_L& request, const PrintTable& table) {
  platform::Platform& os = context.os();
  const std::string path = PrintJobPath(context);
  os.RemoveFile(path);
  os.WriteProfileText(path, "PROPOS", "szDataPfad",
                      Quoted(FieldText(request.szDataPfad)));
  os.WriteProfileText(path, "PROPOS", "szProName",
                      Quoted(FieldText(request.szProName)));
  os.WriteProfileText(path, "PROPOS", "szPrgName",
                      FieldText(request.szPrgName));
  os.WriteProfileText(path, "PROPOS", "szAuthor",
                      Quoted(FieldText(request.szAuthor)));
  os.WriteProfileText(path, "PROPOS", "szMsg", Quoted(FieldText(request.szMsg)));
  os.WriteProfileText(path, "PROPOS", "szProBezeichnung",
                      Quoted(FieldText(request.szProBezeichnung)));
  WriteLines(os, path, "POSITION", PrintLines(table));
}

bool StartPrintProgram(environment::LibraryContext& context) {
  const std::string program = context.folders.program + "ZBDB_Print.exe";
  const std::string argument = "/C " + PrintJobPath(context);
  char line[1024];
  std::snprintf(line, sizeof line, "\n\n*** START: %s : mit %s ",
                program.c_str(), argument.c_str());
  context.log.Append(line);
  if (context.os().StartProcess(program, argument, true) ==
      platform::Platform::StartResult::kStarted)
    return true;
  context.ui().Ask(context.message_title,
                   "'ZBDB_Print.exe' kann nicht gestartet werden .\n "
                   "ExePath falsch oder Programm nicht vorhanden\n"
                   "Druckauftrag: " + PrintJobPath(context),
                   environment::Buttons::kOk, environment::Icon::kInformation);
  return false;
}

}  // namespace zb::explorer
