#include "projectstore/repair.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "environment/library_context.h"
#include "environment/ui.h"
#include "platform/platform.h"
#include "projectstore/position_edit.h"
#include "projectstore/positions.h"
#include "projectstore/project_catalogue.h"
#include "projectstore/record_file.h"
#include "projectstore/store.h"
#include "recordstore/engine.h"
#include "recordstore/record_format.h"
#include "recordstore/repair_copy.h"

namespace zb::projectstore {
namespace {

using recordstore::Engine;
using recordstore::PosInfoExt;

constexpr char kListingName[] = "REPAIR.LST";
constexpr char kFatal[] = "Fehler! Programm wird beendet. <beliebige Taste>";
constexpr uint16_t kCtrlShort = 0x0010;  // fewer records than Recs
constexpr uint16_t kCtrlEmpty = 0x0020;  // no record at all
constexpr int16_t kTagKey = 30000;

// "PRO00001.PRO" -> "PRO00001.<extension>"; a name without a dot gets the
// extension appended, cut to 8 characters when it is 9 or longer.
std::string RenamedAs(const std::string& name, const char* extension) {
  const size_t dot = name.find('.');
  if (dot != std::string::npos) return name.substr(0, dot + 1) + extension;
  if (name.size() >= 9) return name.substr(0, 8) + "." + extension;
  return name + "." + extension;
}

// The listing file and the message boxes of one run.
class Listing final : public recordstore::RepairReport {
 public:
  Listing(Store& store, std::string path,
          const std::function<void(int32_t)>& progress)
      : store_(store), path_(std::move(path)), progress_(progress) {}
  ~Listing() override { Close(); }
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;

  void Message(const std::string& text, bool box) override {
    if (!closed_ && !file_) file_ = store_.os().OpenStream(path_, "w");
    if (file_) {
      std::fwrite(text.data(), 1, text.size(), file_);
      std::fputc(13, file_);
    }
    if (box)
      store_.ui().Ask(store_.context().message_title, text,
                      environment::Buttons::kOk,
                      environment::Icon::kInformation);
  }
  void Progress(int32_t percent) override {
    // The program's callback takes no value: one call per step.
    if (environment::ProgressCallback callback =
            store_.context().progress_callback)
      callback();
    if (progress_) progress_(percent);
  }
  void Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    closed_ = true;
  }

 private:
  Store& store_;
  std::string path_;
  const std::function<void(int32_t)>& progress_;
  std::FILE* file_ = nullptr;
  bool closed_ = false;
};

// The existing backup goes only when the user says so.
bool MayReplaceBackup(Store& store, const std::string& path,
                      const std::string& backup) {
  char text[2048];
  std::snprintf(
      text, sizeof text,
      "Projektdatei       : %s\nSicherung          : %s\n"
      "Bevor der Reparaturlauf starten kann wird die Projektdatei gesichert. "
      "\nDiese Sicherung besteht schon - soll sie gel\xF6scht werden?         "
      "    \nFalls 'Nein', wird das Reparaturprogramm verlassen.            "
      "       \n",
      path.c_str(), backup.c_str());
  return store.ui().Ask(store.context().message_title, text,
                        environment::Buttons::kYesNo,
                        environment::Icon::kQuestion) ==
         environment::Answer::kYes;
}

// The first 39 characters of the designation in the position's PROPOS.
std::string DesignationOfTag(Engine& engine, int h, const PosInfoExt& info,
                             int16_t program) {
  std::vector<uint8_t> record(recordstore::kMaxRecordSize);
  for (int32_t n = engine.Read(h, static_cast<int16_t>(info.id), program, 0,
                               recordstore::kMaxRecordSize, record.data());
       n >= 0; n = engine.ReadNext(h, record.data())) {
    if (n < 4 || recordstore::LoadI16(record.data() + 2) != kTagKey) continue;
    const char* text = reinterpret_cast<const char*>(record.data() + 4);
    return std::string(text, strnlen(text, std::min<int32_t>(39, n - 4)));
  }
  return {};
}

// The corrections of a program's first position.
void MendFirstPosition(Engine& engine, int h, int16_t program,
                       PosInfoExt* info) {
  if (info->Designation[0] == 0)
    recordstore::SetFieldText(info->Designation,
                              DesignationOfTag(engine, h, *info, program));
  const bool long_too_short = strnlen(info->PosNameLong, 42) <
                              strnlen(info->PosName, 10);
  if (long_too_short)
    std::memcpy(info->PosName, info->PosNameLong, sizeof info->PosName);
  if (long_too_short || info->page_start > 10000) {
    uint8_t narrow[recordstore::kPosInfoShortFileSize];
    std::memcpy(narrow, info, sizeof narrow);
    recordstore::WidenPosInfo(narrow, info);
  }
}

uint32_t CountRecords(Engine& engine, int h, const PosInfoExt& info,
                      int16_t program) {
  std::vector<uint8_t> record(recordstore::kMaxRecordSize);
  uint32_t count = 0;
  for (int32_t n = engine.Read(h, static_cast<int16_t>(info.id), program, 0,
                               recordstore::kMaxRecordSize, record.data());
       n >= 0; n = engine.ReadNext(h, record.data()))
    ++count;
  return count;
}

}  // namespace

RepairNames RepairNamesOf(const std::string& path,
                          const std::string& listing_folder) {
  RepairNames names;
  std::string folder = listing_folder;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  names.listing = folder + "\\" + kListingName;
  if (path.find(".erg") != std::string::npos) {
    names.backup = "Erg.OLD";
    names.fresh = "Erg.REP";
    return names;
  }
  const size_t sep = path.find_last_of('\\');
  const std::string dir = sep == std::string::npos ? "" : path.substr(0, sep + 1);
  const std::string name = path.substr(dir.size());
  names.backup = dir + RenamedAs(name, "OLD");
  names.fresh = dir + RenamedAs(name, "REP");
  return names;
}

void CheckPositions(Store& store, const std::string& path,
                    RepairSummary* summary) {
  store.log().Append("\n======> REPAIR ");
  platform::Platform& os = store.os();
  os.SetReadOnly(path, false);
  Engine& engine = store.engine();
  RecordFile file = RecordFile::OpenExclusive(engine, path);
  if (file.is_open()) {
    const int h = file.handle();
    summary->positions_checked = true;
    uint32_t running = 0;
    const environment::ProgramCatalogue& catalogue = store.catalogue();
    for (int p = 0; p < catalogue.count(); ++p) {
      const int16_t program = catalogue.entry(p).line.number;
      for (uint32_t n = 0;; ++n) {
        PosInfoExt info{};
        const int32_t got =
            engine.Read(h, kKeyPosInfo, program, n, sizeof info, &info);
        if (got < 0) break;
        recordstore::ZeroTerminatePosInfoExt(&info);
        if (n == 0) MendFirstPosition(engine, h, program, &info);
        store.log().Printf("\n\t=> rec:%ld PrgKey:%d PosRec:%d PosName:%-s",
                           static_cast<long>(++running), program,
                           static_cast<int>(n),
                           recordstore::FieldText(info.PosName).c_str());
        const uint32_t records = CountRecords(engine, h, info, program);
        info.Ctrl &= static_cast<uint16_t>(~(kCtrlShort | kCtrlEmpty));
        if (records == 0) {
          info.Ctrl |= kCtrlEmpty;
          ++summary->positions_caput;
        } else if (info.Recs > 0 && records < static_cast<uint32_t>(info.Recs)) {
          info.Recs = static_cast<int16_t>(records);
          info.Ctrl |= kCtrlShort;
          ++summary->positions_not_ok;
        } else {
          ++summary->positions_ok;
        }
        const int16_t size = got >= recordstore::kPosInfoExtFileSize
                                 ? recordstore::kPosInfoExtFileSize
                                 : recordstore::kPosInfoShortFileSize;
        if (engine.WriteFar(h, kKeyPosInfo, program, n, size, &info, false) >
            0)
          store.log().Append("<=");
      }
    }
    uint32_t counter = 0;
    if (engine.Read(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter) >= 0) {
      counter = 0;
      engine.WriteFar(h, kKeyWriteCounter, 0, 0, sizeof counter, &counter,
                      false);
    }
  }
  file.Close();
  char text[200];
  std::snprintf(text, sizeof text,
                "Repair positions \n\n %-u  positions OK \n %-u  positions "
                "NotOK \n %-u  positions caput",
                summary->positions_ok, summary->positions_not_ok,
                summary->positions_caput);
  store.ui().Ask(store.context().message_title, text,
                 environment::Buttons::kOk, environment::Icon::kInformation);
}

RepairSummary RepairFile(Store& store, const std::string& path,
                         const std::string& listing_folder,
                         const std::function<void(int32_t)>& progress) {
  RepairSummary summary;
  platform::Platform& os = store.os();
  const RepairNames names = RepairNamesOf(path, listing_folder);
  Listing listing(store, names.listing, progress);
  std::unique_ptr<platform::File> source;
  uint64_t size = 0;
  const bool readable =
      os.OpenFile(path, platform::Access::kRead, platform::Share::kDenyNone,
                  &source).ok() &&
      source->Size(&size).ok();
  if (!readable) listing.Message(std::string("\n") + "Dateiname ung\xFCltig!" + "\n", true);
  os.RemoveFile(names.fresh);
  if (!readable) {
    listing.Message(kFatal, true);
    listing.Close();
    CheckPositions(store, path, &summary);
    return summary;
  }
  if (os.FileExists(names.backup)) {
    if (!MayReplaceBackup(store, path, names.backup)) {
      listing.Close();
      summary.outcome = RepairSummary::kBackupKept;
      return summary;
    }
    os.RemoveFile(names.backup);
  }
  const recordstore::RepairCopyResult copy = recordstore::CopyRecognisedRecords(
      *source, size, os, names.fresh, listing);
  source.reset();
  summary.pass = copy.pass;
  summary.records = copy.records;
  summary.ignored = copy.ignored;
  summary.outcome = RepairSummary::kCopyFailed;
  bool indexed = false;
  if (copy.copied) {
    listing.Message("Indexliste neu erzeugen... (bitte warten)", false);
    // Opened and closed by the engine: its walk writes the new index. A copy
    // the engine cannot take never replaces the file.
    Engine& engine = store.engine();
    const int32_t h = engine.Open(names.fresh.c_str());
    indexed = h > 0 && engine.Close(h) == DB_SUCCESS;
  }
  if (indexed) {
    summary.outcome = RepairSummary::kRenameFailed;
    if (os.RenameFile(path, names.backup).ok() &&
        os.RenameFile(names.fresh, path).ok()) {
      summary.outcome = RepairSummary::kRepaired;
      listing.Message(" ", false);
    }
  } else {
    os.RemoveFile(names.fresh);
  }
  if (summary.outcome != RepairSummary::kRepaired) listing.Message(kFatal, true);
  listing.Close();
  if (summary.outcome != RepairSummary::kRenameFailed)
    CheckPositions(store, path, &summary);
  return summary;
}

}  // namespace zb::projectstore
