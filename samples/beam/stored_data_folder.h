// The user's stored data folder, kept across a run of beam on another
// folder. Every save of the library hands its data folder on to the
// suite's folder settings (the companion library zbdisk), which would make
// a folder named for one run the default of every program of the user.
#ifndef ZBDB_SAMPLES_BEAM_STORED_DATA_FOLDER_H_
#define ZBDB_SAMPLES_BEAM_STORED_DATA_FOLDER_H_

#include <string>

namespace beam {

class StoredDataFolder {
 public:
  // Reads the folder as the settings hold it now; without the companion
  // library there is nothing to keep.
  StoredDataFolder();
  // Puts the folder back when the run changed it.
  ~StoredDataFolder();
  StoredDataFolder(const StoredDataFolder&) = delete;
  StoredDataFolder& operator=(const StoredDataFolder&) = delete;

  // True when the settings could be read (and so can be restored).
  bool known() const { return known_; }
  const std::string& folder() const { return folder_; }

 private:
  void* companion_ = nullptr;
  std::string folder_;
  bool known_ = false;
};

}  // namespace beam

#endif  // ZBDB_SAMPLES_BEAM_STORED_DATA_FOLDER_H_
