// Control ids of the folder settings dialog (folder_settings_dialog.rc).
#ifndef ZBDB_EXPLORER_WIN32_FOLDER_SETTINGS_IDS_H_
#define ZBDB_EXPLORER_WIN32_FOLDER_SETTINGS_IDS_H_

#define IDD_FOLDER_SETTINGS 101

// One row per folder, in the order program, base, user, temporary, data:
// the field is kFolderEdit + row, its "..." button kFolderChoose + row,
// its validity picture kFolderPicture + row.
#define IDC_FOLDER_EDIT 1101
#define IDC_FOLDER_CHOOSE 1121
#define IDC_FOLDER_PICTURE 1131
#define IDC_FOLDER_LABEL 1111
#define IDC_CHOICE_ALL_USERS 1141
#define IDC_CHOICE_LOGGED_IN_USER 1142
#define IDC_EXPERT_MODE 1150

#endif  // ZBDB_EXPLORER_WIN32_FOLDER_SETTINGS_IDS_H_
