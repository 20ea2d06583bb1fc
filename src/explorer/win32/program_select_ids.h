// Ids of the program selection "Z+B Programme" (program_select_dialog.rc);
// plain numbers, shared with its toolkit-free model.
#ifndef ZBDB_EXPLORER_WIN32_PROGRAM_SELECT_IDS_H_
#define ZBDB_EXPLORER_WIN32_PROGRAM_SELECT_IDS_H_

#define IDD_PROGRAM_SELECT 200

#define IDC_PRG_FOLDER 32616
#define IDC_PRG_GROUPS 32611
#define IDC_PRG_PROGRAMS 24058
#define IDC_PRG_SPLIT_V 24055
#define IDC_PRG_SPLIT_H 24056
#define IDC_PRG_INSTALLED 32606
#define IDC_PRG_DELIVERABLE 32605
#define IDC_PRG_FOLDER_LABEL 2000

#endif  // ZBDB_EXPLORER_WIN32_PROGRAM_SELECT_IDS_H_
