/*
 * ZBDB900 -- data management of the ZB structural-analysis suite.
 *
 * The public C interface. Every export uses stdcall on 32-bit Windows and is
 * published under its plain and its decorated name ("_DBOpen@4"); results
 * are int32_t unless noted. Records are packed and little-endian.
 *
 * Record operations (DB...) answer byte counts, DB_SUCCESS or one of the
 * negative DB_ codes below. Handles are small integers 1..9; at most nine
 * record files are open in one process.
 *
 * Text is single-byte Windows-1252. Fixed-width character fields hold a
 * C string of at most width - 1 characters ("Zero form"); Basic callers fill
 * them with blanks instead ("Blank form"), see the ZeroTerminate family.
 */
#ifndef ZBDB900_H_
#define ZBDB900_H_

#include <stddef.h>
#include <stdint.h>

#include "zbdb900_types.h"

#if defined(__GNUC__) && !defined(_WIN32)
#define ZBEXPORT __attribute__((visibility("default")))
#else
/* The DLL's export table comes from the generated module definition. */
#define ZBEXPORT
#endif

/* Strings returned to Basic callers by the B exports: a BSTR holding the
 * bytes on Windows (free it with SysFreeString), a malloc'ed zero-terminated
 * copy elsewhere (free it with ZB_FreeByteString). */
#if defined(_WIN32)
typedef wchar_t* ZB_BYTESTRING;
#else
typedef char* ZB_BYTESTRING;
#endif

#ifdef __cplusplus
extern "C" {
#endif

#if !defined(_WIN32)
ZBEXPORT void ZBAPI ZB_FreeByteString(ZB_BYTESTRING text);
#endif

/* ---- Record engine ------------------------------------------------------ */
/* Open for reading and writing, shared; creates a missing file. Returns a
 * handle 1..9 or DB_OPENERR (also for a path of more than 1023 characters),
 * DB_STACKERR, DB_NOEND, -5, DB_SECOND_OPEN. */
ZBEXPORT int32_t ZBAPI DBOpen(const char* path);
/* Open for reading, shared: -1 when the file does not exist. */
ZBEXPORT int32_t ZBAPI DBOpenReadOnly(const char* path);
/* Open for reading and writing, exclusive: -1 when missing; waits up to
 * four times 3 seconds while the file is write-protected, then -5. */
ZBEXPORT int32_t ZBAPI DBOpenExcl(const char* path);
/* Writes the index when the file was changed. 1, or -1. */
ZBEXPORT int32_t ZBAPI DBClose(int16_t h);
/* Copies the path given at open (up to 1023 characters and the zero). */
ZBEXPORT int32_t ZBAPI DBGetFileName(char* dest, int16_t h);
/* The handle opened with exactly this path (case-sensitive), or -1. */
ZBEXPORT int32_t ZBAPI DBGetFileHnd(const char* path);
/* Number of records including deleted ones; 0xFFFFFFFF for a bad handle. */
ZBEXPORT uint32_t ZBAPI DBGetNumRecord(int16_t h);

/* Reads the n-th record (from 0) matching k1, k2; 32762 matches any key.
 * Returns the bytes delivered (at most size) or -1. */
ZBEXPORT int32_t ZBAPI DBRead(int16_t h, int16_t k1, int16_t k2, int32_t n,
                              int16_t size, void* buf);
ZBEXPORT int32_t ZBAPI DBReadFar(int16_t h, int16_t k1, int16_t k2, uint32_t n,
                                 int16_t size, void* buf);
/* The next record matching the keys of the last call on h. */
ZBEXPORT int32_t ZBAPI DBReadNext(int16_t h, void* buf);
/* Further bytes of the record read last; 0 when nothing is left. */
ZBEXPORT int32_t ZBAPI DBReadRest(int16_t h, int16_t size, void* buf);
/* The n-th (from 1) record matching k1, k2 whose data begin with the 16-bit
 * values k3, k4; the data after those four bytes go to buf. */
ZBEXPORT int32_t ZBAPI DB4_Read(int16_t h, int16_t k1, int16_t k2, int16_t k3,
                                int16_t k4, int32_t n, int16_t size, void* buf);
/* Keys of the record found last by any search; returns that Key2. */
ZBEXPORT int32_t ZBAPI DBGetKeys(int16_t* k1, int16_t* k2);

/* n = -1 appends; otherwise overwrites the n-th match in place. */
ZBEXPORT int32_t ZBAPI DBWrite(int16_t h, int16_t k1, int16_t k2, int32_t n,
                               int16_t size, const void* data);
ZBEXPORT int32_t ZBAPI DBWriteFar(int16_t h, int16_t k1, int16_t k2, uint32_t n,
                                  int16_t size, const void* data);
/* n = -1 appends; n >= 0 overwrites the n-th match or appends. */
ZBEXPORT int32_t ZBAPI DBWriteAdd(int16_t h, int16_t k1, int16_t k2, int32_t n,
                                  int16_t size, const void* data);
ZBEXPORT int32_t ZBAPI DBWriteAddFar(int16_t h, int16_t k1, int16_t k2,
                                     uint32_t n, int16_t size,
                                     const void* data);
ZBEXPORT int32_t ZBAPI DBWriteNext(int16_t h, const void* data);

/* Deleting negates Key1; the result is the record's size, 0 when it cannot
 * be deleted, -1 when there is none. */
ZBEXPORT int32_t ZBAPI DBDel(int16_t h, int16_t k1, int16_t k2, int32_t n);
ZBEXPORT int32_t ZBAPI DBDelFar(int16_t h, int16_t k1, int16_t k2, uint32_t n);
ZBEXPORT int32_t ZBAPI DBDelNext(int16_t h);
/* k1 is given positive: the deleted record's former Key1. */
ZBEXPORT int32_t ZBAPI DBUnDel(int16_t h, int16_t k1, int16_t k2, int32_t n);
ZBEXPORT int32_t ZBAPI DBUnDelFar(int16_t h, int16_t k1, int16_t k2,
                                  uint32_t n);
ZBEXPORT int32_t ZBAPI DBUnDelNext(int16_t h);
ZBEXPORT int32_t ZBAPI DBChangeKeys(int16_t h, int16_t k1, int16_t k2,
                                    int16_t newKey1, int16_t newKey2);

/* The user header, bytes 0..449; nothing moves outside that range. */
ZBEXPORT int32_t ZBAPI DBReadBin(int16_t h, int32_t offset, int32_t length,
                                 void* buf);
ZBEXPORT int32_t ZBAPI DBWriteBin(int16_t h, int32_t offset, int32_t length,
                                  const void* data);

/* Overwrite pass: release the records of k1, k2, then reuse places of equal
 * size. DBOverWrite: 1 reused, 0 appended. DBEndOverWrite: released bytes
 * not reused. */
ZBEXPORT int32_t ZBAPI DBStartOverWrite(int16_t h, int16_t k1, int16_t k2);
ZBEXPORT int32_t ZBAPI DBOverWrite(int16_t h, int16_t k1, int16_t k2,
                                   int16_t size, const void* data);
ZBEXPORT uint32_t ZBAPI DBEndOverWrite(void);
/* Save and restore the search state of a handle (1; DBPop: 0 when the stack
 * is empty; -1 for a handle that is not open). */
ZBEXPORT int32_t ZBAPI DBPush(int16_t h);
ZBEXPORT int32_t ZBAPI DBPop(int16_t h);

/* ---- Typed reads and writes (memory layouts above) --------------------- */
#define ZB_TYPED_PAIR(T)                                                    \
  ZBEXPORT int32_t ZBAPI DBRead##T(int16_t h, int16_t k1, int16_t k2,       \
                                   int32_t n, T* record);                   \
  ZBEXPORT int32_t ZBAPI DBWrite##T(int16_t h, int16_t k1, int16_t k2,      \
                                    int32_t n, T* record);
ZB_TYPED_PAIR(POINT3D)
ZB_TYPED_PAIR(WORLD3D)
ZB_TYPED_PAIR(BUILDINFO)
ZB_TYPED_PAIR(PROINFO)
ZB_TYPED_PAIR(POSINFO)
ZB_TYPED_PAIR(PROPOS)
ZB_TYPED_PAIR(DATDESC)
ZB_TYPED_PAIR(ZBPROPOS)
#undef ZB_TYPED_PAIR

/* ---- Zero form of Basic strings ---------------------------------------- */
/* Forces the last byte to zero and turns trailing blanks into zeros. */
ZBEXPORT int32_t ZBAPI ZeroTerminate(char* buf, int32_t width);
ZBEXPORT int32_t ZBAPI ZeroTerminatePos(POSINFO* record);
ZBEXPORT int32_t ZBAPI ZeroTerminatePro(PROINFO* record);
ZBEXPORT int32_t ZBAPI ZeroTerminateProPos(PROPOS* record);
ZBEXPORT int32_t ZBAPI ZeroTerminateZBProPos(ZBPROPOS* record);

/* ---- Login, versions and library-wide settings ------------------------- */
/* Logs in when the library has not yet (always 1). */
ZBEXPORT int32_t ZBAPI ZBDB_Login(void);
/* Releases the open position and writes the log footer: 1, or 0 when the
 * position's project file could not be opened for the release. */
ZBEXPORT int32_t ZBAPI ZBDB_Logout(void);
/* Rereads the six folders: 1 when all could be read, else 0. */
ZBEXPORT int32_t ZBAPI ZB_RegInit(void);
/* Megabytes of the drive of path: kind 0 available to the caller, 1 free,
 * otherwise its size; -1/1024 when it cannot be asked. */
ZBEXPORT double ZBAPI DSKGetSpaceMb(const char* path, int32_t kind);

ZBEXPORT int32_t ZBAPI ZBDB_GetVersion(void);
ZBEXPORT int32_t ZBAPI ZBDB_SetVersion(int32_t, int32_t); /* -1111 */
/* "%u,%u,%u,%u" of a file's version (file and out by reference) into out
 * when it fits into maxLength bytes: 1; 0 and out untouched otherwise. */
ZBEXPORT int32_t ZBAPI GetFileVersion(const char* const* file,
                                      char* const* out, int32_t maxLength);
ZBEXPORT int32_t ZBAPI GetProductVersion(const char* const* file,
                                         char* const* out, int32_t maxLength);
ZBEXPORT ZB_BYTESTRING ZBAPI GetFileVersionB(const char* file);
ZBEXPORT ZB_BYTESTRING ZBAPI GetProductVersionB(const char* file);

typedef void(ZBAPI* ZB_PROGRESS_CALLBACK)(void);
ZBEXPORT int32_t ZBAPI ZB_SetDlgParent(uint32_t parent);
/* Bit 0 and bit 1 disable commands of the position dialog; bit 4 with
 * either also hides them. Logs in when needed. */
ZBEXPORT int32_t ZBAPI ZB_SetPosDlgCtrl(int16_t flags);
ZBEXPORT int32_t ZBAPI InitProgressSignal(int16_t code,
                                          ZB_PROGRESS_CALLBACK callback);

/* Fixed answers: 1; -101; -101. Placeholders: -1111 or nothing. */
ZBEXPORT int32_t ZBAPI ZB_CheckDBConnection(void);
ZBEXPORT int32_t ZBAPI ZB_PositionSaved(int32_t);
ZBEXPORT int32_t ZBAPI ZB_SetProject(int32_t, int32_t);
ZBEXPORT int32_t ZBAPI ZB_SendBroadcast_NET(void);
ZBEXPORT int32_t ZBAPI ZB_RegisterEvent_NET(void);
ZBEXPORT void ZBAPI ZB_DBMessageInfo_NET(void);
ZBEXPORT void ZBAPI ZB_EventInfo_NET(void);
ZBEXPORT int32_t ZBAPI ZB_EmailExport(int32_t);
ZBEXPORT int32_t ZBAPI ZB_EmailImport(int32_t);

/* ---- Placeholders: answer -1111 (ZB_ProjectItem_L/_LB: -1; the release
 * of the project stream: nothing) without doing anything. ------------------ */
ZBEXPORT int32_t ZBAPI ZB_PositionNew(void* request);
ZBEXPORT int32_t ZBAPI ZB_GetPositionFlag(void* request);
ZBEXPORT int32_t ZBAPI ZB_SetPositionFlag(void* request);
ZBEXPORT int32_t ZBAPI ZB_PositionLock(void* request);
ZBEXPORT int32_t ZBAPI ZB_SetPositionProperty_L(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectConvert(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectConvertActivate(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectsConvert(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectGetFirst(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectGetNext(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectPropertyItem(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectRemove(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectToActiv(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectsToActiv(void* request);
ZBEXPORT int32_t ZBAPI ZB_GetProjectFlag(void* request);
ZBEXPORT int32_t ZBAPI ZB_SetProjectFlag(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectToActivNew(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectIdProperty(void* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectPropertyID(void* request);
ZBEXPORT int32_t ZBAPI ZB_Start(void* request);
ZBEXPORT int32_t ZBAPI ZB_PositionProperty_NET(void);
ZBEXPORT int32_t ZBAPI ZB_PositionRename_NET(void);
ZBEXPORT int32_t ZBAPI ZB_PositionDelete_NET(void);
ZBEXPORT int32_t ZBAPI ZB_PositionCopy_NET(void);
ZBEXPORT int32_t ZBAPI ZB_PositionMove_NET(void);
ZBEXPORT int32_t ZBAPI ZB_ProjectProperty_NET(void);
ZBEXPORT int32_t ZBAPI ZB_ProjectItem_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectItem_LB(ZBPROPOS_L* request);
ZBEXPORT void ZBAPI ZB_ProjectsReleaseStreamPRO(ZBPROPOS* request);

/* ---- Opening and saving a position ------------------------------------ */
/* The request record (ZBPROPOS_L; ZBPROPOS lacks szPosNameLong), in and out:
 *   szDataPfad        data folder that holds the project list and projects
 *   szTmpPfad         temporary folder for working files
 *   szTmpDatei        in: a working file or a folder (or empty: the
 *                     temporary folder); out: the working file that now
 *                     holds the position
 *   szPrgName         program key of the catalogue ("DLT", ...); "ALLE" or
 *                     empty makes New/Open/Save/SaveAs ask for a program
 *   szProName         project name (its list entry, not its file name)
 *   szAuthor          author, given to a project the save creates
 *   szPosName         short name; the _L calls ignore it on entry and
 *                     return the position's own
 *   szMsg             description of the position
 *   szProBezeichnung  designation printed with the position
 *   szPosNameLong     long name of the position (the name users see)
 * The plain and B forms take ZBPROPOS; the B and _LB forms pad the texts
 * with blanks instead of zeros.
 *
 * Results: records copied (positive; a save: records stored + 3), 0
 * cancelled or nothing to do, or an error:
 *   -1    the data folder does not exist, or the program check failed in
 *         a save (after a dialog)
 *   -2    the working file has no position header records (POSINFO)
 *   -3    the working file is empty
 *   -4    the working file cannot be opened
 *   -5    (open) the position holds no data records
 *   -6    (save) the project file cannot be opened or created
 *   -7    (save) the position is locked by another program or computer
 *   -14   (save) the project was converted to the other data format and
 *         is read-only here
 *   -101  not done (ERR_NOTDONE)
 *   -102  the program key is not in the catalogue, or the user cancelled
 *         the program selection (ERR_PRG_UNDEF)
 *   -103  the data or temporary folder does not exist and none was chosen
 *         (ERR_DIR_UNDEF)
 *   -200  no project name (ERR_PRO_UNDEF)
 * The Ex forms take a control word: bit 0 silent (no project-format
 * question), bit 1 make the project the active one and write the history. */

/* A new, empty position of the program in a new working file. */
ZBEXPORT int32_t ZBAPI ZB_New(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_NewB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_New_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_New_LB(ZBPROPOS_L* request);

/* Choose a position in the position dialog and open it. */
ZBEXPORT int32_t ZBAPI ZB_Open(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_OpenB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_Open_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_Open_LB(ZBPROPOS_L* request);

/* ZB_SilentOpenEx with control word 1. */
ZBEXPORT int32_t ZBAPI ZB_SilentOpen(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SilentOpenB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SilentOpen_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_SilentOpen_LB(ZBPROPOS_L* request);

/* Open the named position without a dialog. */
ZBEXPORT int32_t ZBAPI ZB_SilentOpenEx(ZBPROPOS* request, int16_t control);
ZBEXPORT int32_t ZBAPI ZB_SilentOpenExB(ZBPROPOS* request, int16_t control);
ZBEXPORT int32_t ZBAPI ZB_SilentOpenEx_L(ZBPROPOS_L* request, int16_t control);
ZBEXPORT int32_t ZBAPI ZB_SilentOpenEx_LB(ZBPROPOS_L* request, int16_t control);

/* Save the working file back into its position (save-as when the request no
 * longer matches it). */
ZBEXPORT int32_t ZBAPI ZB_Save(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SaveB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_Save_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_Save_LB(ZBPROPOS_L* request);

/* Choose project and name in the position dialog and save there. */
ZBEXPORT int32_t ZBAPI ZB_SaveAs(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SaveAsB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SaveAs_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_SaveAs_LB(ZBPROPOS_L* request);

/* ZB_SilentSaveEx with control word 1. */
ZBEXPORT int32_t ZBAPI ZB_SilentSave(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SilentSaveB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SilentSave_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_SilentSave_LB(ZBPROPOS_L* request);

/* Save into the named project and position without a dialog. */
ZBEXPORT int32_t ZBAPI ZB_SilentSaveEx(ZBPROPOS* request, int16_t control);
ZBEXPORT int32_t ZBAPI ZB_SilentSaveExB(ZBPROPOS* request, int16_t control);
ZBEXPORT int32_t ZBAPI ZB_SilentSaveEx_L(ZBPROPOS_L* request, int16_t control);
ZBEXPORT int32_t ZBAPI ZB_SilentSaveEx_LB(ZBPROPOS_L* request, int16_t control);

/* Fill the request with the last used program, project and position. */
ZBEXPORT int32_t ZBAPI ZB_ReadDBHistory(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ReadDBHistoryB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ReadDBHistory_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ReadDBHistory_LB(ZBPROPOS_L* request);


/* ---- Import of DOS project data --------------------------------------- */
/* Lets the user choose a DOS project of the program QT3, QT4 or QT5 (any
 * case) in the data folder: a file named key + five-digit number + ".PRO".
 * On a choice szTmpDatei names that file (data folder + backslash + key in
 * upper case + number + ".PRO"), szPrgName is the key in upper case and
 * szProName the project's name. Returns 1 when a project was chosen or
 * the dialog ended other than by cancel, 0 when cancelled, -1 for any
 * other program. The library does not convert the file. */
ZBEXPORT int32_t ZBAPI ZB_ImportDOS_QT345(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ImportDOS_QT345_B(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ImportDOS_QT345_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ImportDOS_QT345_LB(ZBPROPOS_L* request);

/* ---- Program launch ----------------------------------------------------- */
/* Starts the calculation program szPrgName (chosen in the program
 * selection when it is "ALLE" or empty) with the position szPosName of
 * szProName in szDataPfad, through the task file ZB_Kem.ini of the
 * configuration folder; without a position name the program starts with a
 * new position. Does not wait for the program. Returns 1 when it was
 * started, 0 when the program selection was cancelled, -101 when it could
 * not be started (the user has been told why). The _L form reads the
 * first 470 bytes of its record as the plain request. */
ZBEXPORT int32_t ZBAPI ZB_PositionStart(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_PositionStart_L(ZBPROPOS_L* request);

/* ---- In-memory compression --------------------------------------------- */
/* One zlib stream (RFC 1950), default level. ZB_Zip: 1 when zlib reported
 * success (the compressed length is not handed back; the stream carries its
 * end). ZB_Unzip expands the stream at the start of `buffer` in place, up
 * to `capacity` bytes (`length` may be more than the stream; the third
 * argument is not used): 1 on success, 0 with the buffer unchanged. */
ZBEXPORT uint8_t ZBAPI ZB_Zip(uint8_t* dest, uint32_t capacity,
                              const uint8_t* source, uint32_t length);
ZBEXPORT uint8_t ZBAPI ZB_Unzip(uint8_t* buffer, int32_t length,
                                int32_t unused, uint32_t capacity);

/* ---- Repair ------------------------------------------------------------- */
/* Repairs the record file szTmpDatei: what can still be recognised is
 * copied into "<name>.REP", indexed afresh and put in the file's place; the
 * damaged file is kept as "<name>.OLD" (asked first when that exists). The
 * positions of a project file are then checked against their records. The
 * listing goes to "REPAIR.LST" in szTmpPfad; the key messages are shown.
 * No result is defined (0). */
ZBEXPORT int32_t ZBAPI ZB_Repair(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_Repair_L(ZBPROPOS_L* request);

/* Checks a project file for support, changing nothing: szTmpDatei when
 * given, else project szProName of data folder szDataPfad. The worst
 * finding (details in the log): */
#define TEST_CHECKPRO_SOUND 1            /* nothing found */
#define TEST_CHECKPRO_UNREADABLE (-1)    /* the file cannot be read */
#define TEST_CHECKPRO_NOT_CLOSED (-21)   /* left open after changes; the
                                            next open re-indexes it */
#define TEST_CHECKPRO_RECORDS_MISSING (-22) /* a position holds fewer
                                            records than its header says */
#define TEST_CHECKPRO_STALE_LOCK (-23)   /* a lock bit without its holder */
#define TEST_CHECKPRO_DAMAGED (-24)      /* index and records disagree:
                                            ZB_Repair it */
#define TEST_CHECKPRO_NOT_FOUND (-202)   /* no such project in the list */
ZBEXPORT int32_t ZBAPI TEST_CheckPro(ZBPROPOS* request);

/* ---- Previews ------------------------------------------------------------ */
/* A preview is a blob the program makes (tag 1, the offset, compressed and
 * plain length of a zlib-compressed enhanced metafile, two extent
 * rectangles, 16 reserved bytes, then the picture), below 32759 bytes. It
 * is kept in the project's preview file (".PRV"; "ProjectPreview.ZBPRV" in
 * a folder project) under the position named by szProName, szPrgName and
 * szPosNameLong.
 * ZB_SavePreview_L: 1 stored, 0 not (*size is the blob's length; the plain
 * form returns -1 for 32760 bytes or more). ZB_GetPreview_Init loads the
 * position's preview into the library and returns its size (0 or negative:
 * none); ZB_GetPreview_Buffer copies it out when it fits (its size), else
 * copies nothing and returns the buffer size. ZB_GetPreview shows it in a
 * viewer window ("Ohne Vorschau" when there is none). */
ZBEXPORT int32_t ZBAPI ZB_SavePreview(ZBPROPOS* request, void* blob, int32_t* size);
ZBEXPORT int32_t ZBAPI ZB_SavePreviewB(ZBPROPOS* request, void* blob, int32_t* size);
ZBEXPORT int32_t ZBAPI ZB_SavePreview_L(ZBPROPOS_L* request, void* blob, int32_t* size);
ZBEXPORT int32_t ZBAPI ZB_SavePreview_LB(ZBPROPOS_L* request, void* blob, int32_t* size);
ZBEXPORT int32_t ZBAPI ZB_GetPreview(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_GetPreview_Init(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_GetPreview_InitB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_GetPreview_Buffer(void* buffer, int32_t size);
ZBEXPORT int32_t ZBAPI ZB_GetPreview_BufferB(void* buffer, int32_t size);

/* ---- Autosave and templates -------------------------------------------- */
/* The autosave copy of a program's working file:
 * "<temporary folder>\<program>_AutoSave.$POS". ZB_AutoSave copies the
 * working file over it (non-zero when copied; a failed copy keeps the
 * previous one); ZB_AutoSaveEnd deletes the program's copies (their
 * number); ZB_AutoSaveGet offers the first copy found for rescue, saving it
 * through the save-as dialog, and deletes the copies unless the user keeps
 * them (the number found). The pattern "<program>*.$POS" also finds the
 * copies of programs whose names begin with the program's name. */
ZBEXPORT int32_t ZBAPI ZB_AutoSave(const char* program, const char* working_file);
ZBEXPORT int32_t ZBAPI ZB_AutoSaveB(const char* program, const char* working_file);
ZBEXPORT int32_t ZBAPI ZB_AutoSave_L(ZBPROPOS_L* request);   /* szPrgName, szTmpDatei */
ZBEXPORT int32_t ZBAPI ZB_AutoSave_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_AutoSaveEnd(const char* program);
ZBEXPORT int32_t ZBAPI ZB_AutoSaveEndB(const char* program);
ZBEXPORT int32_t ZBAPI ZB_AutoSaveEnd_L(ZBPROPOS_L* request);  /* szPrgName */
ZBEXPORT int32_t ZBAPI ZB_AutoSaveEnd_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_AutoSaveGet(const char* program);

/* The template position of a program: in the project "VORLAGE" of the
 * configuration folder, named as the program (szPrgName).
 * ZB_SaveTemplate_L asks first (-101 declined; -5 when szTmpDatei names no
 * working file) and saves szTmpDatei there: the records saved, or the
 * silent save's negative code. ZB_OpenTemplate_L opens it into a new
 * working file named in szTmpDatei: the records loaded, or <= 0. Both leave
 * the working file belonging to the caller's project (szProName), so the
 * next save goes there; the plain and B forms do not update the caller's
 * record. ZB_TemplateExist_L: 0 none, 1 exists, 2 locked by another.
 * ZB_DeleteTemplate_L: 1 deleted, 0 not. */
ZBEXPORT int32_t ZBAPI ZB_SaveTemplate(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SaveTemplate_B(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_SaveTemplate_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_SaveTemplate_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_OpenTemplate(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_OpenTemplate_B(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_OpenTemplate_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_OpenTemplate_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_TemplateExist_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_TemplateExist_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_DeleteTemplate_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_DeleteTemplate_LB(ZBPROPOS_L* request);

/* ---- Result files ------------------------------------------------------ */
/* The result file of the request's project: its number, with szTmpDatei
 * naming the file; <= 0 on failure. */
ZBEXPORT int32_t ZBAPI ZB_GetErgDateiEx(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_GetErgDateiEx_L(ZBPROPOS_L* request);
ZBEXPORT int16_t ZBAPI ZB_GetErgDateiExB(ZBPROPOS* request);
ZBEXPORT int16_t ZBAPI ZB_GetErgDateiEx_LB(ZBPROPOS_L* request);

/* The same, with the id of the request's position (0 when there is none)
 * and the program number. A result file that belongs to another project is
 * renamed to "<name>_<its project>.ERG" (the user is told) and a new one
 * made. */
ZBEXPORT int32_t ZBAPI ZB_GetErgDateiEx2(ZBPROPOS* request, int16_t* position, int16_t* program);
ZBEXPORT int16_t ZBAPI ZB_GetErgDateiEx2B(ZBPROPOS* request, int16_t* position, int16_t* program);
ZBEXPORT int32_t ZBAPI ZB_GetErgDateiEx2_L(ZBPROPOS_L* request, int16_t* position, int16_t* program);
ZBEXPORT int16_t ZBAPI ZB_GetErgDateiEx2_LB(ZBPROPOS_L* request, int16_t* position, int16_t* program);

/* The result file of project `number` in the data folder, made when missing,
 * into path (260 bytes): 1, or -1 with an empty path. */
ZBEXPORT int32_t ZBAPI ZB_GetErgDatei(const char* data_folder, int16_t number, char* path);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_GetErgDateiB(const char* data_folder, int16_t number);

/* The project file of the request's project into path (260 bytes): 1, or 0
 * (path then holds the data folder) when the project list does not know it. */
ZBEXPORT int32_t ZBAPI ZB_GetProDatei(ZBPROPOS* request, char* path);
ZBEXPORT int16_t ZBAPI ZB_GetProDateiB(ZBPROPOS* request, char* path);
ZBEXPORT int32_t ZBAPI ZB_GetProDatei_L(ZBPROPOS_L* request, char* path);
ZBEXPORT int16_t ZBAPI ZB_GetProDatei_LB(ZBPROPOS_L* request, char* path);

/* ---- Temporary files --------------------------------------------------- */
/* Lists the records of the working file szTmpDatei into a text file of the
 * same name up to its first "." with ".txt": the records listed, or -1. */
ZBEXPORT int32_t ZBAPI ZB_InhaltTmp(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_InhaltTmp_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_InhaltTmp_LB(ZBPROPOS_L* request);

/* Deletes the files matching szTmpDatei (wildcards allowed) that were last
 * written a minute ago or earlier: the number deleted. */
ZBEXPORT int32_t ZBAPI ZB_KillTmp(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_KillTmpB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_KillTmp_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_KillTmp_LB(ZBPROPOS_L* request);

/* Resets a working file to its header records: the handle of the rebuilt
 * file (still open when it was open before), or 0 / negative. The B forms
 * take the file from a Blank-form request's szTmpDatei. */
ZBEXPORT int32_t ZBAPI ZB_CleanTmp(const char* path);
ZBEXPORT int32_t ZBAPI ZB_CleanTmpB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_CleanTmp_LB(ZBPROPOS_L* request);

/* Copies a position into szTmpDatei (szTmpPfad when empty) without dialog,
 * passing the control word to the transfer (1 quiet, 4 no lock);
 * szProBezeichnung receives its designation. The records copied, or a
 * negative error. */
ZBEXPORT int32_t ZBAPI iProPosToTmpC(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI iProPosToTmpC_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI iProPosToTmpExC(ZBPROPOS* request, int16_t control);
ZBEXPORT int32_t ZBAPI iProPosToTmpExC_L(ZBPROPOS_L* request, int16_t control);

/* The text as a newly allocated string. */
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_GetXMLPath(const char* text);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_GetXMLPathB(const char* text);

/* ---- Page numbering ---------------------------------------------------- */
/* Check codes: -1 no project name, -2 no position name (start page calls),
 * -3 the data folder is not a folder. */

/* Start page and page count of the position: its id, 0 refused. */
ZBEXPORT int32_t ZBAPI ZB_SetStartPageNr(ZBPROPOS* request, int16_t start, int16_t count);
ZBEXPORT int32_t ZBAPI ZB_SetStartPageNrB(ZBPROPOS* request, int16_t start, int16_t count);
ZBEXPORT int32_t ZBAPI ZB_SetStartPageNr_L(ZBPROPOS_L* request, int16_t start, int16_t count);
ZBEXPORT int32_t ZBAPI ZB_SetStartPageNr_LB(ZBPROPOS_L* request, int16_t start, int16_t count);

/* Start page and page count of the position: its id, -1 not found. */
ZBEXPORT int32_t ZBAPI ZB_GetStartPageNr(ZBPROPOS* request, int16_t* start, int16_t* count);
ZBEXPORT int32_t ZBAPI ZB_GetStartPageNrB(ZBPROPOS* request, int16_t* start, int16_t* count);
ZBEXPORT int32_t ZBAPI ZB_GetStartPageNr_L(ZBPROPOS_L* request, int16_t* start, int16_t* count);
ZBEXPORT int32_t ZBAPI ZB_GetStartPageNr_LB(ZBPROPOS_L* request, int16_t* start, int16_t* count);

/* The project's next free page number. */
ZBEXPORT int32_t ZBAPI ZB_SetNextPageNr(ZBPROPOS* request, int16_t next);
ZBEXPORT int32_t ZBAPI ZB_SetNextPageNrB(ZBPROPOS* request, int16_t next);
ZBEXPORT int32_t ZBAPI ZB_SetNextPageNr_L(ZBPROPOS_L* request, int16_t next);
ZBEXPORT int32_t ZBAPI ZB_SetNextPageNr_LB(ZBPROPOS_L* request, int16_t next);

/* 1 read, -1 project not found, negative when the project has none yet
 * (*next is then 1). */
ZBEXPORT int32_t ZBAPI ZB_GetNextPageNr(ZBPROPOS* request, int16_t* next);
ZBEXPORT int32_t ZBAPI ZB_GetNextPageNrB(ZBPROPOS* request, int16_t* next);
ZBEXPORT int32_t ZBAPI ZB_GetNextPageNr_L(ZBPROPOS_L* request, int16_t* next);
ZBEXPORT int32_t ZBAPI ZB_GetNextPageNr_LB(ZBPROPOS_L* request, int16_t* next);

/* Clear the page numbers of one position or of all. */
ZBEXPORT int32_t ZBAPI ZB_ResetPageNr(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ResetPageNrB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ResetPageNr_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ResetPageNr_LB(ZBPROPOS_L* request);

/* ---- Projects of a data folder ---------------------------------------- */
/* The request names the data folder (szDataPfad), the project (szProName),
 * its author (szAuthor) and the calling program (szPrgName). */

/* Creates the project (an empty name asks through the project dialog):
 * its number, -1 when the dialog was cancelled, or negative. */
ZBEXPORT int32_t ZBAPI ZB_ProjectNew(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectNew_L(ZBPROPOS_L* request);
/* The project's number, or ERR_PRO_NOTFOUND (-202). */
ZBEXPORT int32_t ZBAPI ZB_ProjectExist(ZBPROPOS* request);
/* As ZB_ProjectExist, and *info (zeroed first) receives its header. */
ZBEXPORT int32_t ZBAPI ZB_ProjectProperty_L(ZBPROPOS_L* request,
                                            PROINFO* info);
/* 0 project file, 1 folder project of the other data format, -1 empty
 * name, -3 the data folder is not a folder, -202 not found. */
ZBEXPORT int32_t ZBAPI ZB_ProjectVersion(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ProjectVersionB(ZBPROPOS* request);
/* New name and author for the source project (an empty target name asks
 * through the project dialog). */
ZBEXPORT int32_t ZBAPI ZB_ProjectRename(ZBPROPOS* source, ZBPROPOS* target);
/* Copy or move a project into the target's data folder: 1 done, 0
 * interrupted, negative failed. */
ZBEXPORT int32_t ZBAPI ZB_ProjectCopy(ZBPROPOS* source, ZBPROPOS* target);
ZBEXPORT int32_t ZBAPI ZB_ProjectMove(ZBPROPOS* source, ZBPROPOS* target);
ZBEXPORT int32_t ZBAPI ZB_CopyProject_L(ZBPROPOS_L* source,
                                        ZBPROPOS_L* target);
/* 1 list entry removed, 0 not removed, -1 interrupted, -2 list not
 * openable. */
ZBEXPORT int32_t ZBAPI ZB_ProjectDelete(ZBPROPOS* request);
ZBEXPORT void ZBAPI ZB_ProjectsGetStreamPRO(ZBPROPOS* request);

/* ---- Positions of a project -------------------------------------------- */
/* 0 not found, 1 found, 2 locked by another user or program instance. */
ZBEXPORT int32_t ZBAPI ZB_PositionExist(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_PositionExistB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_PositionExist_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_PositionExist_LB(ZBPROPOS_L* request);
/* Exported as the C++ overload "?ZB_PositionExist@@YGHPAUZBPROPOS_L@@@Z"
 * of ZB_PositionExist for the long request. */
ZBEXPORT int32_t ZBAPI ZB_PositionExistLong(ZBPROPOS_L* request);
/* How many programs have a position of this name (-1 none); buffer gets
 * their program names, 6 bytes each, at most size / 6 of them. */
ZBEXPORT int32_t ZBAPI ZB_PositionExistEx(ZBPROPOS* request, char* buffer,
                                          int32_t size);
ZBEXPORT int32_t ZBAPI ZB_PositionExistEx_L(ZBPROPOS_L* request,
                                            char* buffer, int32_t size);
/* As ZB_PositionExist; posinfo receives the position's extended POSINFO
 * (248 bytes). */
ZBEXPORT int32_t ZBAPI ZB_PositionProperty(ZBPROPOS* request, void* posinfo);
ZBEXPORT int32_t ZBAPI ZB_PositionProperty_L(ZBPROPOS_L* request,
                                             void* posinfo);
/* Gives the source position the target's long name (an empty one asks
 * through the position properties dialog): the position id, or <= 0. */
ZBEXPORT int32_t ZBAPI ZB_PositionRename(ZBPROPOS* source, ZBPROPOS* target);
ZBEXPORT int32_t ZBAPI ZB_PositionRename_L(ZBPROPOS_L* source,
                                           ZBPROPOS_L* target);
/* Takes the long request (as the _LB form). Records deleted; 0 when none
 * or when the position is locked. */
ZBEXPORT int32_t ZBAPI ZB_PositionDelete(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_PositionDelete_LB(ZBPROPOS_L* request);
/* Copies the position's short name into text (at least 10 bytes): its
 * length. */
ZBEXPORT int32_t ZBAPI ZB_GetPositionShortName(ZBPROPOS* request,
                                               char* text);

/* ---- Position information list ---------------------------------------- */
/* The positions of the request's project read into a process-wide list:
 * the number of entries (0 when none; an earlier list then stays). The
 * plain and B forms keep 116-byte entries, the _L and _LB forms 248-byte
 * ones. */
ZBEXPORT int32_t ZBAPI ZB_InitPosinfos(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_InitPosinfosB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_InitPosinfos_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_InitPosinfos_LB(ZBPROPOS_L* request);
/* Copies entry `index` (plain 116 bytes, B 120, _L 248, _LB 256 in the
 * Blank form): 116 when copied, 0 otherwise; an index out of range lets the
 * list go. */
ZBEXPORT int32_t ZBAPI ZB_GetPosinfo(int32_t index, void* posinfo);
ZBEXPORT int32_t ZBAPI ZB_GetPosinfoB(int32_t index, void* posinfo);
ZBEXPORT int32_t ZBAPI ZB_GetPosinfo_L(int32_t index, void* posinfo);
ZBEXPORT int32_t ZBAPI ZB_GetPosinfo_LB(int32_t index, void* posinfo);
/* Lets the list go: the number of entries it held. */
ZBEXPORT int32_t ZBAPI ZB_KillPosinfos(void);
ZBEXPORT int32_t ZBAPI ZB_KillPosinfosB(void);
ZBEXPORT int32_t ZBAPI ZB_KillPosinfos_L(void);
ZBEXPORT int32_t ZBAPI ZB_KillPosinfos_LB(void);
/* The long name of an entry of the long list (name: 42 bytes): its
 * length, 0 when there is no such entry. */
ZBEXPORT int32_t ZBAPI ZB_GetPosname_L(int32_t index, char* name);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_GetPosname_LB(int16_t index);
/* A time value (seconds since 1970) split as universal time, and one built
 * from local time parts (each out of its range counts as 0): the value. */
ZBEXPORT int32_t ZBAPI ZBDB_GetPosinfoDateB(uint32_t time, int16_t* year,
                                            int16_t* month, int16_t* day,
                                            int16_t* hour, int16_t* minute,
                                            int16_t* second);
ZBEXPORT int32_t ZBAPI ZBDB_SetPosinfoDateB(uint32_t* time, int16_t year,
                                            int16_t month, int16_t day,
                                            int16_t hour, int16_t minute,
                                            int16_t second);

/* ---- Position transfer ------------------------------------------------- */
/* Copy or move a position into the target's project. ZB_PositionCopy with
 * target project and long name given returns the copy's result (records
 * stored, or <= 0); otherwise it asks (project selection, whether to copy,
 * whether to overwrite, a new name) and returns the last answer: 6 Yes,
 * 7 No, 1 a new name chosen, 2 cancelled, 0 no project chosen.
 * ZB_PositionMove needs both (else -1) and returns the records deleted
 * from the source. */
ZBEXPORT int32_t ZBAPI ZB_PositionCopy(ZBPROPOS* source, ZBPROPOS* target);
ZBEXPORT int32_t ZBAPI ZB_PositionMove(ZBPROPOS* source, ZBPROPOS* target);
/* Writes the position into a ".POS" exchange file (named into szTmpDatei):
 * records written, or negative. */
ZBEXPORT int32_t ZBAPI ZB_PositionExport(ZBPROPOS* request);
/* Reads the exchange file szTmpDatei into project szProName: the save's
 * result, or -101 when the user declines. */
ZBEXPORT int32_t ZBAPI ZB_PositionImport(ZBPROPOS* request);

/* ---- Data channel: buffered binary files, positions counted from 1 ----- */
/* The stream value is an opaque 32-bit number, 0 when the open failed. */
ZBEXPORT uint32_t ZBAPI OpenData(const char* path);
ZBEXPORT int32_t ZBAPI GetData(void* buf, int32_t itemSize, int32_t count,
                               uint32_t stream);
ZBEXPORT int32_t ZBAPI PutData(const void* buf, int32_t itemSize,
                               int32_t count, uint32_t stream);
ZBEXPORT int32_t ZBAPI SetPosData(int32_t position, uint32_t stream);
ZBEXPORT int32_t ZBAPI GetPosData(uint32_t stream);
ZBEXPORT int32_t ZBAPI CloseData(uint32_t stream);
ZBEXPORT int32_t ZBAPI FlushData(int32_t count, void* buf);

/* ---- Program catalogue ------------------------------------------------- */
/* The catalogue line of a program, 402 bytes, packed:
 *     0 int16 index in the catalogue     2 int16 group number
 *     4 int16 program number             6 char key[12]
 *    18 char title[56]                  74 char icon file[260]
 *   334 char family[4] (key's first 3) 338 int32 value
 *   342 char executable[30]            372 char parameters[30]
 * Logs in first. An unknown key gives the line of "ALLE". Returns 1. */
ZBEXPORT int32_t ZBAPI ZB_GetPrgZeile(const char* key, void* line);
/* The same line for Basic callers in 404 bytes: all blanks except the
 * program number at 4 and the key, title and icon, blank-padded, at 6, 18
 * and 74. Returns -1. */
ZBEXPORT int32_t ZBAPI ZB_GetPrgZeileB(const char* key, void* line);
/* Titles by key and by program number. The texts stay valid until the next
 * call of the same export; the _B forms return a byte string instead.
 * ZB_PrgTitel: the title of the key's line ("ALLE"'s for an unknown key);
 * ZB_PrgTitelI: empty for an unknown number; the short titles: empty for
 * an unknown program and before the catalogue is loaded. */
ZBEXPORT const char* ZBAPI ZB_PrgTitel(const char* key);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_PrgTitel_B(const char* key);
ZBEXPORT const char* ZBAPI ZB_PrgTitelI(int16_t number);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_PrgTitelI_B(int16_t number);
ZBEXPORT const char* ZBAPI ZB_PrgShortTitel(const char* key);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_PrgShortTitel_B(const char* key);
ZBEXPORT const char* ZBAPI ZB_PrgShortTitelI(int16_t number);
ZBEXPORT ZB_BYTESTRING ZBAPI ZB_PrgShortTitelI_B(int16_t number);

/* ---- Explorer ---------------------------------------------------------- */
/* The explorer window over szDataPfad (the configured data folder when
 * empty), modal on the caller's thread. On OK the chosen project and
 * position are in the request. Returns 0 when cancelled or nothing was
 * chosen, 1 when a project was chosen, the position's record count (32767
 * for a negative one) when a position was. ZB_ExplorDlg and
 * ZB_ExplorDlg_L open it the same way. */
ZBEXPORT int32_t ZBAPI ZB_Explor(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ExplorB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_Explor_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_Explor_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ExplorDlg(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ExplorDlg_L(ZBPROPOS_L* request);

/* ---- Selection dialogs ------------------------------------------------- */
/* The project selection over szDataPfad (the configured data folder when
 * empty): 1 with the chosen project in szProName and szAuthor (szDataPfad
 * may have changed), 0 when cancelled. The Ex form owns the dialog by
 * `parent`. ZB_ProSelectB resets the progress signal first. */
ZBEXPORT int32_t ZBAPI ZB_ProSelect(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ProSelectB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_ProSelect_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ProSelect_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_ProSelectEx_L(ZBPROPOS_L* request, uint32_t parent);
/* The program selection "Z+B Programme", opened on szPrgName ("ALLE" when
 * empty): 1 with the chosen key in szPrgName, 0 when cancelled. */
ZBEXPORT int32_t ZBAPI ZB_PrgSelect(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_PrgSelectB(ZBPROPOS* request);
ZBEXPORT int32_t ZBAPI ZB_PrgSelect_L(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_PrgSelect_LB(ZBPROPOS_L* request);
ZBEXPORT int32_t ZBAPI ZB_PrgSelectEx(ZBPROPOS* request, uint32_t parent);
ZBEXPORT int32_t ZBAPI ZB_PrgSelectEx_L(ZBPROPOS_L* request, uint32_t parent);
/* The folder chooser titled `title`, opened in *folder (a buffer of 260
 * bytes, in and out): 1 with an existing folder ended by "\" in it, 2 when
 * cancelled; it asks again while the chosen folder does not exist.
 * `options` has no effect. ZB_DirDlgB takes the Basic true (-1) as 1 and
 * returns -1 when a folder was chosen, 0 otherwise. OXDirDlg is caller-pops. */
ZBEXPORT int32_t ZBAPI ZB_DirDlg(char* folder, const char* title,
                                 int32_t options, uint32_t parent);
ZBEXPORT int32_t ZBAPI ZB_DirDlgB(char* folder, const char* title,
                                  int32_t options, uint32_t parent);
ZBEXPORT int32_t ZBAPI ZB_DirDlgNet(char* folder, const char* title,
                                    int32_t options, uint32_t parent);

/* ---- String utilities: in place, caller-pops, plain names only ---------- */
#if defined(_WIN32)
#define ZBCDECL __cdecl
#else
#define ZBCDECL
#endif
ZBEXPORT int32_t ZBCDECL OXDirDlg(char* folder, const char* title,
                                int32_t options, uint32_t parent);
/* Inserts a in front of b. */
ZBEXPORT void ZBCDECL StrIns(const char* a, char* b);
/* target = first + each further text up to a null pointer; returns target.
 * target may be the first text itself. */
ZBEXPORT char* ZBCDECL strAdd(char* target, const char* first, ...);
/* Removes leading blanks; returns text. */
ZBEXPORT char* ZBCDECL strLeftCompress(char* text);
/* Removes trailing blanks and line feeds; returns the new terminator. */
ZBEXPORT char* ZBCDECL strRightCompress(char* text);
/* Case of A-Z and of the DOS umlauts (0x8E 0x99 0x9A <-> 0x84 0x94 0x81). */
ZBEXPORT char* ZBCDECL lower(char* text);
ZBEXPORT char* ZBCDECL upper(char* text);
/* A folder with exactly one trailing backslash. */
ZBEXPORT char* ZBCDECL backSlash(char* text);
/* A folder without trailing backslash; drive roots keep theirs, and a text
 * without any backslash becomes a drive root ("C" -> "C:\"). */
ZBEXPORT char* ZBCDECL noBackSlash(char* text);
/* Terminates a field of width n at n - 1 and removes trailing blanks. */
ZBEXPORT char* ZBCDECL cTrim(char* text, int32_t n);

#ifdef __cplusplus
}
#endif

#endif /* ZBDB900_H_ */
