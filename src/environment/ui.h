// The Ui seam: every message box, question, folder chooser and dialog the
// library shows goes through the one Ui held for the process. The stores
// never include a toolkit header.
//
// Implementations: the Win32 windows in the DLL, ScriptedUi for tests
// (queued answers and a record of everything shown), ConsoleUi for zbdb,
// and HeadlessUi where nobody can answer (answers as if cancelled).
#ifndef ZBDB_ENVIRONMENT_UI_H_
#define ZBDB_ENVIRONMENT_UI_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zbdb900_types.h"

namespace zb::environment {

class FolderSettingsModel;
struct LockBlock;
}  // namespace zb::environment
namespace zb::recordstore {
struct PosInfoExt;
}  // namespace zb::recordstore
namespace zb::environment {

enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel, kRetryCancel };
enum class Icon { kNone, kError, kWarning, kQuestion, kInformation };
enum class Answer { kOk, kCancel, kYes, kNo, kRetry };

// The position dialog opens a position (choose one) or saves into one
// (choose project and name); its OK runs the transfer the caller hands in.
enum class PositionDialogMode { kOpen, kSave };
struct PositionTransferResult {
  int32_t records = 0;
  int32_t error = 0;
};
using PositionTransfer =
    std::function<PositionTransferResult(ZBPROPOS_L* request)>;

// What the position properties dialog is given: the caller's request and
// (optional) 248-byte POSINFO, which OK fills with the confirmed fields,
// the position's lock record (optional), a caption (empty: "Position "),
// and whether to write the page numbers back and to refuse a name another
// position has.
struct PositionPropertiesRequest {
  std::string title;
  ZBPROPOS_L* request = nullptr;
  recordstore::PosInfoExt* info = nullptr;
  const LockBlock* lock = nullptr;
  bool write_pages = false;
  bool check_new_name = false;
};

// The message box title of the library's own boxes.
extern const char kMessageTitle[];  // "ZB_Datenverwaltung "

class Ui {
 public:
  virtual ~Ui() = default;

  virtual Answer Ask(const std::string& caption, const std::string& text,
                     Buttons buttons, Icon icon) = 0;
  // Lets the user pick a folder, starting at *folder. False: cancelled.
  virtual bool ChooseFolder(const std::string& title, std::string* folder) = 0;
  // The folder settings dialog over the model; true when it closed with OK
  // (the model has then handed the folders on), false when cancelled (the
  // caller then runs the model's cancel handling).
  virtual bool FolderSettings(FolderSettingsModel& model) = 0;

  // The library's dialogs below answer as cancelled until an
  // implementation gives them a window.

  // The project dialog: *name (at most 40 characters) and *author (at most
  // 30) in and out. True on OK; the dialog itself refuses names shorter
  // than 3 characters.
  virtual bool ProjectDialog(const std::string& title, std::string* name,
                             std::string* author);
  // The position properties dialog on one position. True on OK (the
  // request and POSINFO then hold the confirmed fields).
  virtual bool PositionProperties(const PositionPropertiesRequest& dialog);
  // The position dialog in open or save mode on *request. On OK the
  // chosen program, project and position are in *request, `transfer` has
  // run on it and *result holds what it returned; false: cancelled.
  virtual bool PositionDialog(PositionDialogMode mode, const std::string& title,
                              ZBPROPOS_L* request,
                              const PositionTransfer& transfer,
                              PositionTransferResult* result);
  // The position dialog asking only for a position name (copy "as").
  virtual bool PositionName(const std::string& title, std::string* long_name);
  // The project selection dialog over a data folder; *project out.
  virtual bool SelectProject(const std::string& folder, std::string* project);
  // The project selection on a whole request: szDataPfad (which the user
  // may change), szProName and szAuthor in and out. By default the folder
  // form above, which gives the name only.
  virtual bool SelectProjectIn(ZBPROPOS_L* request);
  // The project selection over a list the caller made (the DOS import's
  // old project files): the dialog's caption and confirm button, the
  // projects' headers and the name selected first. *index receives the
  // chosen entry, -1 when OK was given without one; false: cancelled.
  struct ListedProjects {
    std::string caption;
    std::string button;
    std::vector<PROINFO> projects;
    std::string selected;
  };
  virtual bool SelectListedProject(const ListedProjects& listed, int* index);
  // The program selection dialog, after `prompt` when not empty; *program
  // receives the program's key name (szPrgName).
  virtual bool SelectProgram(const std::string& prompt, std::string* program);

  // The explorer window on *request (modal): on OK the chosen project and
  // position are in *request. Returns the window's result value: 1 a
  // project chosen, a position's record count, 0 cancelled or nothing
  // chosen.
  virtual int32_t Explorer(ZBPROPOS_L* request);

  // The preview viewer of a position: the decoded picture (state 0 with the
  // enhanced metafile's bytes; 1 no preview, 2 unknown format, 3 damaged),
  // "Ohne Vorschau" when there is none. The viewer's result; 0 where there
  // is no screen.
  struct PreviewView {
    std::string title;
    int state = 1;
    std::vector<uint8_t> metafile;
  };
  virtual int ShowPreview(const PreviewView& view);

  // Copies, moves or deletes a file through the shell's file operation
  // with its progress window, owned by the dialog parent. Returns the
  // shell's result (0 done, 7 cancelled by the user), or kNoShell where
  // there is no shell: the caller then does the work itself.
  enum class FileOperation { kCopy, kMove, kDelete };
  static constexpr int kNoShell = -1;
  virtual int ShellFileOperation(FileOperation operation,
                                 const std::string& from,
                                 const std::string& to,
                                 const std::string& progress_title);
};

// Answers every question as cancelled, "no" where there is no cancel.
class HeadlessUi final : public Ui {
 public:
  Answer Ask(const std::string&, const std::string&, Buttons buttons,
             Icon) override;
  bool ChooseFolder(const std::string&, std::string*) override { return false; }
  bool FolderSettings(FolderSettingsModel&) override;
};

}  // namespace zb::environment

#endif  // ZBDB_ENVIRONMENT_UI_H_
