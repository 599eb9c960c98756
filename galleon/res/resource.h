// Resource ids of the photo plug-in.
#define IDD_SETTINGS 10
#define IDD_OPTIONS 31
#define IDD_SECURITY 32
#define IDD_LOG 33
#define IDI_LOG 149
#define IDI_OPTIONS 150
#define IDI_SECURITY 146
#define IDS_BUILD_DATE 1
