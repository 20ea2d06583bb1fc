#include "exchange/archive_file.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "exchange/archive_header.h"
#include "exchange/archive_result.h"
#include "exchange/run_length.h"

namespace zb::exchange {

namespace {

using platform::Access;
using platform::File;
using platform::Share;

// Whole records only, so a chunk of the run list never splits one.
constexpr size_t kRunChunkRecords = kArchiveBufferSize / kRunRecordSize;

int ReadExact(File& file, uint64_t offset, void* buf, size_t n) {
  size_t got = 0;
  if (!file.ReadAt(offset, buf, n, &got).ok() || got != n) {
    return kArchiveReadError;
  }
  return kArchiveOk;
}

int WriteExact(File& file, uint64_t offset, const void* data, size_t n) {
  size_t written = 0;
  if (!file.WriteAt(offset, data, n, &written).ok() || written != n) {
    return kArchiveWriteError;
  }
  return kArchiveOk;
}

template <typename T>
bool Allocate(std::vector<T>* buffer, size_t n) {
  try {
    buffer->resize(n);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// Compresses `length` bytes of `in` block by block and appends the
// literals to the archive and the records to the run list.
int PackChunk(const uint8_t* in, size_t length, uint8_t* literals,
              std::vector<RunRecord>* runs, std::vector<uint8_t>* run_bytes,
              File& archive, uint64_t* archive_end, File& run_list,
              uint64_t* run_list_end) {
  size_t literal_total = 0;
  runs->clear();
  for (size_t at = 0; at < length; at += kMaxBlockLength) {
    const size_t block = std::min(kMaxBlockLength, length - at);
    const int n = CompressBlock(in + at, block, literals + literal_total, runs);
    if (n < 0) return n;
    literal_total += size_t(n);
  }
  if (!Allocate(run_bytes, runs->size() * kRunRecordSize)) {
    return kArchiveNoMemory;
  }
  EncodeRunRecords(runs->data(), runs->size(), run_bytes->data());
  int rc = WriteExact(archive, *archive_end, literals, literal_total);
  if (rc == kArchiveOk) {
    rc = WriteExact(run_list, *run_list_end, run_bytes->data(),
                    run_bytes->size());
  }
  *archive_end += literal_total;
  *run_list_end += run_bytes->size();
  return rc;
}

// Checks that the literal counts of the whole run list add up to the
// literal stream, so that expanding can neither run short nor stop early.
int CheckRunList(File& run_list, uint64_t run_list_size,
                 uint64_t literal_length, std::vector<uint8_t>* bytes,
                 std::vector<RunRecord>* runs) {
  if (run_list_size % kRunRecordSize != 0) return kArchiveBadRunList;
  uint64_t literals = 0;
  for (uint64_t at = 0; at < run_list_size;) {
    const size_t count = size_t(std::min<uint64_t>(
        kRunChunkRecords, (run_list_size - at) / kRunRecordSize));
    const int rc =
        ReadExact(run_list, at, bytes->data(), count * kRunRecordSize);
    if (rc != kArchiveOk) return rc;
    DecodeRunRecords(bytes->data(), count, runs->data());
    for (size_t i = 0; i < count; ++i) literals += (*runs)[i].literal_count;
    at += count * kRunRecordSize;
  }
  return literals == literal_length ? kArchiveOk : kArchiveBadRunList;
}

int ExpandArchive(File& archive, File& run_list, uint64_t run_list_size,
                  File& project, std::vector<uint8_t>* bytes,
                  std::vector<RunRecord>* run_buffer,
                  std::vector<uint8_t>* literals, std::vector<uint8_t>* out) {
  std::vector<RunRecord>& runs = *run_buffer;
  uint64_t literal_at = kArchiveHeaderSize;
  uint64_t project_at = 0;
  for (uint64_t at = 0; at < run_list_size;) {
    const size_t count = size_t(std::min<uint64_t>(
        kRunChunkRecords, (run_list_size - at) / kRunRecordSize));
    int rc = ReadExact(run_list, at, bytes->data(), count * kRunRecordSize);
    if (rc != kArchiveOk) return rc;
    DecodeRunRecords(bytes->data(), count, runs.data());
    at += count * kRunRecordSize;
    // Groups of records whose expansion fits the output buffer; one record
    // expands to at most 2 * 65535 bytes.
    for (size_t first = 0; first < count;) {
      size_t end = first;
      size_t literal_length = 0;
      size_t expanded = 0;
      while (end < count) {
        const size_t next = size_t(runs[end].literal_count) + runs[end].length;
        if (expanded + next > out->size()) break;
        expanded += next;
        literal_length += runs[end].literal_count;
        ++end;
      }
      if (end == first) return kArchiveBadRunList;  // keeps the loop finite
      rc = ReadExact(archive, literal_at, literals->data(), literal_length);
      if (rc != kArchiveOk) return rc;
      const int64_t n =
          ExpandRuns(runs.data() + first, end - first, literals->data(),
                     literal_length, out->data(), out->size());
      if (n < 0) return int(n);
      rc = WriteExact(project, project_at, out->data(), size_t(n));
      if (rc != kArchiveOk) return rc;
      literal_at += literal_length;
      project_at += uint64_t(n);
      first = end;
    }
  }
  return kArchiveOk;
}

int CopyPlainData(File& archive, uint64_t archive_size, File& project,
                  std::vector<uint8_t>* buffer) {
  uint64_t project_at = 0;
  for (uint64_t at = kPlainArchiveHeaderSize; at < archive_size;) {
    const size_t n =
        size_t(std::min<uint64_t>(kArchiveReadSize, archive_size - at));
    int rc = ReadExact(archive, at, buffer->data(), n);
    if (rc == kArchiveOk)
      rc = WriteExact(project, project_at, buffer->data(), n);
    if (rc != kArchiveOk) return rc;
    at += n;
    project_at += n;
  }
  return kArchiveOk;
}

}  // namespace

std::string RunListPathOf(const std::string& project_path) {
  const size_t dot = project_path.rfind('.');
  if (dot == std::string::npos) return std::string();
  return project_path.substr(0, dot + 1) + "LST";
}

int PackProjectFile(platform::Platform& os, const std::string& project_path,
                    const std::string& archive_path,
                    const std::string& run_list_path,
                    const std::string& working_folder,
                    uint64_t covered_length) {
  if (project_path.empty() || archive_path.empty() || run_list_path.empty()) {
    return kArchiveBadArgument;
  }
  std::unique_ptr<File> project;
  if (!os.OpenFile(project_path, Access::kRead, Share::kDenyNone, &project)
           .ok()) {
    return kArchiveOpenError;
  }
  uint64_t size = 0;
  if (!project->Size(&size).ok()) return kArchiveReadError;
  ArchiveHeader header;
  int rc =
      ReadExact(*project, 0, header.project_header, kProjectHeaderCopySize);
  if (rc != kArchiveOk) return rc;
  header.volume = 1;
  header.continuation = 0;
  header.project_size = uint32_t(size >> 10);
  header.folder = ArchiveFolderText(project_path, working_folder);

  std::vector<uint8_t> in;
  std::vector<uint8_t> literals;
  std::vector<uint8_t> run_bytes;
  std::vector<RunRecord> runs;
  if (!Allocate(&in, kArchiveBufferSize) ||
      !Allocate(&literals, kArchiveBufferSize)) {
    return kArchiveNoMemory;
  }

  std::unique_ptr<File> archive;
  std::unique_ptr<File> run_list;
  if (!os.NewFile(archive_path, Share::kDenyNone, &archive).ok() ||
      !os.NewFile(run_list_path, Share::kDenyNone, &run_list).ok()) {
    return kArchiveOpenError;
  }
  uint8_t header_bytes[kArchiveHeaderSize];
  BuildArchiveHeader(header, header_bytes);
  rc = WriteExact(*archive, 0, header_bytes, kArchiveHeaderSize);
  if (rc != kArchiveOk) return rc;

  const uint64_t limit = std::min(size, covered_length);
  uint64_t archive_end = kArchiveHeaderSize;
  uint64_t run_list_end = 0;
  for (uint64_t at = 0; at < limit;) {
    const size_t want =
        size_t(std::min<uint64_t>(kArchiveReadSize, limit - at));
    size_t got = 0;
    if (!project->ReadAt(at, in.data(), want, &got).ok()) {
      return kArchiveReadError;
    }
    if (got == 0) break;  // the file ended early
    rc = PackChunk(in.data(), got, literals.data(), &runs, &run_bytes, *archive,
                   &archive_end, *run_list, &run_list_end);
    if (rc != kArchiveOk) return rc;
    at += got;
  }
  return kArchiveOk;
}

int UnpackProjectFile(platform::Platform& os, const std::string& archive_path,
                      const std::string& run_list_path,
                      const std::string& project_path) {
  if (archive_path.empty() || project_path.empty()) return kArchiveBadArgument;
  std::unique_ptr<File> archive;
  if (!os.OpenFile(archive_path, Access::kRead, Share::kDenyNone, &archive)
           .ok()) {
    return kArchiveOpenError;
  }
  uint64_t archive_size = 0;
  if (!archive->Size(&archive_size).ok()) return kArchiveReadError;
  uint8_t header_bytes[kArchiveHeaderSize];
  const size_t header_length =
      size_t(std::min<uint64_t>(archive_size, kArchiveHeaderSize));
  int rc = ReadExact(*archive, 0, header_bytes, header_length);
  if (rc != kArchiveOk) return rc;
  ArchiveHeader header;
  rc = ParseArchiveHeader(header_bytes, header_length, &header);
  if (rc != kArchiveOk) return rc;

  std::vector<uint8_t> bytes;
  std::vector<uint8_t> literals;
  std::vector<uint8_t> out;
  std::vector<RunRecord> runs;
  if (!Allocate(&bytes, kArchiveBufferSize)) return kArchiveNoMemory;
  std::unique_ptr<File> run_list;
  uint64_t run_list_size = 0;
  if (header.variant == ArchiveVariant::kCurrent) {
    if (run_list_path.empty()) return kArchiveBadArgument;
    if (!os.OpenFile(run_list_path, Access::kRead, Share::kDenyNone, &run_list)
             .ok()) {
      return kArchiveOpenError;
    }
    if (!run_list->Size(&run_list_size).ok()) return kArchiveReadError;
    if (!Allocate(&runs, kRunChunkRecords)) return kArchiveNoMemory;
    rc = CheckRunList(*run_list, run_list_size,
                      archive_size - kArchiveHeaderSize, &bytes, &runs);
    if (rc != kArchiveOk) return rc;
    if (!Allocate(&literals, kArchiveBufferSize) ||
        !Allocate(&out, kArchiveBufferSize)) {
      return kArchiveNoMemory;
    }
  }

  std::unique_ptr<File> project;
  if (!os.NewFile(project_path, Share::kDenyReadWrite, &project).ok()) {
    return kArchiveOpenError;
  }
  if (header.variant == ArchiveVariant::kCurrent) {
    rc = ExpandArchive(*archive, *run_list, run_list_size, *project, &bytes,
                       &runs, &literals, &out);
  } else {
    rc = CopyPlainData(*archive, archive_size, *project, &bytes);
  }
  if (rc != kArchiveOk) {
    project.reset();  // closed before it can be removed
    os.RemoveFile(project_path);
  }
  return rc;
}

}  // namespace zb::exchange
