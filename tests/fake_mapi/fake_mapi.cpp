// A stand-in for the system's mail client in the Windows test build: a
// MAPI32.DLL whose MAPISendMail writes what it was handed into the file
// named by ZBDB_FAKE_MAPI_OUT and reports success, so a test can check
// the message the library composed. Without that setting it reports a
// failure, as a client without a profile would.
#include <windows.h>
#include <mapi.h>

#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(
    LHANDLE, ULONG_PTR, lpMapiMessage message, FLAGS flags, ULONG) {
  const char* out = std::getenv("ZBDB_FAKE_MAPI_OUT");
  if (!out || !message) return MAPI_E_FAILURE;
  std::FILE* file = std::fopen(out, "wb");
  if (!file) return MAPI_E_FAILURE;
  std::fprintf(file, "flags=%lu\nsubject=%s\n", static_cast<unsigned long>(flags),
               message->lpszSubject ? message->lpszSubject : "");
  for (ULONG i = 0; i < message->nRecipCount; ++i)
    std::fprintf(file, "to=%s|%s\n", message->lpRecips[i].lpszName,
                 message->lpRecips[i].lpszAddress);
  for (ULONG i = 0; i < message->nFileCount; ++i)
    std::fprintf(file, "file=%s|%s\n", message->lpFiles[i].lpszPathName,
                 message->lpFiles[i].lpszFileName
                     ? message->lpFiles[i].lpszFileName
                     : "");
  std::fprintf(file, "body=%s", message->lpszNoteText ? message->lpszNoteText
                                                      : "");
  std::fclose(file);
  return SUCCESS_SUCCESS;
}
