// Ids of the project selection "Projekt" and of the small dialog that
// creates a project (project_select_dialog.rc, project_new_dialog.rc).
#ifndef ZBDB_EXPLORER_WIN32_PROJECT_SELECT_IDS_H_
#define ZBDB_EXPLORER_WIN32_PROJECT_SELECT_IDS_H_

#define IDD_PROJECT_SELECT 201
#define IDD_PROJECT_NEW 202

#define IDC_PRO_OK 1  // IDOK: "&Ok", or the caller's confirm button
#define IDC_PRO_LIST 32523
#define IDC_PRO_FOLDER 32556
#define IDC_PRO_EMPTY 2010
#define IDC_PRO_COUNTER 2011
#define IDC_PRO_CREATED 2012
#define IDC_PRO_CHANGED 2013
#define IDC_PRO_ID 2014
#define IDC_PRO_AUTHOR_INFO 2015
#define IDC_PRO_NAME 2016
#define IDC_PRO_AUTHOR 2017
#define IDC_PRO_CHOOSE_FOLDER 2018
#define IDC_PRO_NEW 2019
#define IDC_PRO_DEFAULT 2020
#define IDC_PRO_PROGRESS 2021
#define IDC_PRO_TOOLBAR 2022

#define IDC_NEW_NAME 2030
#define IDC_NEW_AUTHOR 2031

#endif  // ZBDB_EXPLORER_WIN32_PROJECT_SELECT_IDS_H_
