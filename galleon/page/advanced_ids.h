// Control ids and help contexts of the Options, Security and Log pages, the
// host entry dialog and the transaction log window. Read by the resource
// compiler too: defines only. Statics 400 to 499 are headings (blue).
#ifndef GALLEON_ADVANCED_IDS_H
#define GALLEON_ADVANCED_IDS_H

// Options page (template 31).
#define IDC_OPTIONS_DEFAULT_PORT 10
#define IDC_OPTIONS_USE_PORT 11
#define IDC_OPTIONS_PORT 12
#define IDC_OPTIONS_LIST 20
#define IDC_OPTIONS_ICONS 21
#define IDC_OPTIONS_DETAILS 22
#define IDC_OPTIONS_FILMSTRIP 23
#define IDC_OPTIONS_SIZE 30
#define IDC_OPTIONS_SIZE_LABEL 31
#define IDC_OPTIONS_LOGGING 50
#define IDC_OPTIONS_VIEW_LOG 102
#define IDC_OPTIONS_CLEAR_LOG 103
#define IDC_OPTIONS_LOGGING_HEADING 400
#define IDC_OPTIONS_MIXED_HEADING 401
#define IDC_OPTIONS_PORT_HEADING 402
#define IDC_OPTIONS_SIZE_HEADING 403
#define IDC_OPTIONS_LOGGING_TEXT 70
#define IDC_OPTIONS_MIXED_TEXT 71
#define IDC_OPTIONS_PORT_TEXT 72
#define IDC_OPTIONS_SIZE_TEXT 73

// Security page (template 32).
#define IDC_SECURITY_ALLOW 10
#define IDC_SECURITY_DENY 11
#define IDC_SECURITY_HOSTS 20
#define IDC_SECURITY_AUTO_REJECT 30
#define IDC_SECURITY_ADD 100
#define IDC_SECURITY_MODIFY 101
#define IDC_SECURITY_DELETE 102
#define IDC_SECURITY_CLEAR 103
#define IDC_SECURITY_HEADING 400
#define IDC_SECURITY_POLICY_HEADING 401
#define IDC_SECURITY_EXCEPTIONS_HEADING 402
#define IDC_SECURITY_TEXT 70
#define IDC_SECURITY_EXCEPTIONS_TEXT 71

// Host entry dialog (template 17).
#define IDC_HOSTENTRY_DESCRIPTION 10
#define IDC_HOSTENTRY_ADDRESS 11
#define IDC_HOSTENTRY_LABEL 12
#define IDC_HOSTENTRY_OK 100
#define IDC_HOSTENTRY_CANCEL 101

// Log page (template 33).
#define IDC_LOGPAGE_LIST 10
#define IDC_LOGPAGE_LINK 50
#define IDC_LOGPAGE_PICTURE 500
#define IDC_LOGPAGE_HEADING 400
#define IDC_LOGPAGE_TEXT 401

// Transaction log window (template 30).
#define IDC_TRANSLOG_LIST 10
#define IDC_TRANSLOG_TEXT 50
#define IDC_TRANSLOG_GRIP 60
#define IDC_TRANSLOG_CLEAR 100
#define IDC_TRANSLOG_ICON 501

// Help contexts: page topics, and pop-ups at the base plus the control id.
#define HELP_OPTIONS 2000
#define HELP_LOG 3000
#define HELP_TRANSLOG 3600
#define HELP_LOGGING_PLUGIN 3900
#define HELP_SECURITY 6000
#define HELP_HOSTENTRY 6600

#endif
