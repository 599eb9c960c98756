// Ids of the test module's resources, shared by its script and the tests.
#ifndef RESMOD_IDS_H
#define RESMOD_IDS_H

#define IDI_BIG 300
#define IDB_CELLS 160
#define IDD_PAGE 10
#define IDC_NAME 1001
#define IDC_LIST 1002
#define IDS_SUPPORT 103
#define IDS_LONG 4000
#define IDS_HIGH 200
#define IDR_DATA 7
#define IDA_MAIN 1
#define IDH_HELP 100

// Declarations of code are skipped by the resource compiler.
int resmodUnused(void);

#endif
