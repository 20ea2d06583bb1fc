/*
 * ZBDB900 types: the calling convention, the result codes of the record
 * operations and the typed records every layer of the library shares with
 * its callers (packed, byte for byte as they lie in memory). C and C++;
 * included by zbdb900.h, and by the library's own layers, which call no
 * export.
 */
#ifndef ZBDB900_RECORDS_H_
#define ZBDB900_RECORDS_H_

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define ZBAPI __stdcall
#else
#define ZBAPI
#endif

/* ---- Result codes of the record operations ---------------------------- */
#define DB_SUCCESS 1
#define DB_EOF (-1)             /* no (further) record; bad handle; read-only */
#define DB_OPENERR (-2)         /* cannot create or reopen after creation */
#define DB_STACKERR (-3)        /* no free handle */
#define DB_NOEND (-4)           /* not a record file (no closed/end mark) */
#define DB_ACCESS_DENIED (-5)   /* sharing violation or write protection */
#define DB_SECOND_OPEN (-7)     /* already open in this process */
#define DB_RECLEN_OVERFLOW (-8) /* record size outside 1..32759 */

#define DB_WILDCARD 32762       /* a key that matches every key in a search */
#define DB_MAX_RECORD 32759     /* largest record data size */
#define DB_USER_HEADER 450      /* bytes 0..449 of a file are the caller's */

/* ---- Typed records ------------------------------------------------------ */
#pragma pack(push, 1)

typedef struct POINT3D {
  int32_t x, y, z; /* copied bit for bit; callers keep floats here too */
} POINT3D;

typedef struct WORLD3D {
  POINT3D p[3];
} WORLD3D;

/* Memory layout (140 bytes); 138 bytes in a record file, where the
 * geometry follows the text directly. */
typedef struct BUILDINFO {
  uint16_t number;
  char text[100];
  uint8_t pad_[2];
  WORLD3D geometry;
} BUILDINFO;

typedef struct DATDESC {
  uint16_t number1;
  uint16_t number2;
  char text1[100];
  char text2[100];
  char unit1[6];
  char unit2[6];
} DATDESC;

/* Project header: first 104 bytes of every project file's user header and
 * one entry of the project list. */
typedef struct PROINFO {
  uint16_t number;
  uint16_t number2;
  char szProject[42];
  char szPrgShort[6]; /* the project list keeps creation time and kind here */
  char szAuthor[30];
  char szShortText[10];
  uint32_t created;
  uint32_t changed;
  uint16_t number3;
  uint16_t number4;
} PROINFO;

/* Position header, memory layout of the short form (120 bytes); 116 bytes in
 * a record file, where the 32-bit fields are not aligned. */
typedef struct POSINFO {
  uint16_t id;
  uint16_t Ctrl; /* bit 0: locked; bit 4: records missing; bit 5: none left */
  int16_t DatVer;
  char PrgVer[6];
  char Msg[40];
  char PosName[10];
  uint8_t pad1_[2];
  uint32_t value1;
  uint32_t value2;
  int16_t Recs;
  uint8_t pad2_[2];
  uint32_t created;
  uint32_t saved;
  WORLD3D extra;
} POSINFO;

/* Project-and-position tag of a working file. */
typedef struct PROPOS {
  char ProName[42];
  uint16_t number1;
  char PosName[10];
  uint16_t number2;
} PROPOS;

/* Request record of the plain and B exports. */
typedef struct ZBPROPOS {
  char szDataPfad[100];
  char szTmpPfad[100];
  char szTmpDatei[100];
  char szPrgName[6];
  char szProName[42];
  char szAuthor[30];
  char szPosName[10];
  char szMsg[40];
  char szProBezeichnung[42];
} ZBPROPOS;

/* Request record of the _L and _LB exports. */
typedef struct ZBPROPOS_L {
  char szDataPfad[100];
  char szTmpPfad[100];
  char szTmpDatei[100];
  char szPrgName[6];
  char szProName[42];
  char szAuthor[30];
  char szPosName[10];
  char szMsg[40];
  char szProBezeichnung[42];
  char szPosNameLong[42];
} ZBPROPOS_L;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(POINT3D) == 12, "POINT3D");
static_assert(sizeof(WORLD3D) == 36, "WORLD3D");
static_assert(sizeof(BUILDINFO) == 140, "BUILDINFO");
static_assert(sizeof(DATDESC) == 216, "DATDESC");
static_assert(sizeof(PROINFO) == 104, "PROINFO");
static_assert(sizeof(POSINFO) == 120, "POSINFO");
static_assert(sizeof(PROPOS) == 56, "PROPOS");
static_assert(sizeof(ZBPROPOS) == 470, "ZBPROPOS");
static_assert(sizeof(ZBPROPOS_L) == 512, "ZBPROPOS_L");
// The callers' memory layouts of the two aligned records (the file forms
// are packed).
static_assert(offsetof(POSINFO, DatVer) == 4 && offsetof(POSINFO, PrgVer) == 6 &&
              offsetof(POSINFO, Msg) == 12 && offsetof(POSINFO, PosName) == 52 &&
              offsetof(POSINFO, value1) == 64 && offsetof(POSINFO, value2) == 68 &&
              offsetof(POSINFO, Recs) == 72 && offsetof(POSINFO, created) == 76 &&
              offsetof(POSINFO, saved) == 80 && offsetof(POSINFO, extra) == 84,
              "POSINFO layout");
static_assert(offsetof(BUILDINFO, text) == 2 &&
              offsetof(BUILDINFO, geometry) == 104, "BUILDINFO layout");
#endif

#endif /* ZBDB900_RECORDS_H_ */
