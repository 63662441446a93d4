// Resource IDs of the module.
#pragma once

#define IDS_VENNOX 1          // user type name "Vennox Control"
#define IDB_VENNOX 1          // 31 x 31, 16 colours: the control's picture and toolbox bitmap
#define IDI_ABOUTDLL 1        // 32 x 32 and 16 x 16, 16 colours
#define IDR_TYPELIB 1         // resource type "TYPELIB"
#define IDD_ABOUTBOX_VENNOX 1 // the About dialog

// Pages of the configuration sheet: template ID = tab caption string ID.
#define IDD_NODEINFO 200
#define IDD_ZONE1_ACTUAL 201
#define IDD_ZONE1_SETTINGS 202
#define IDD_ZONE2_ACTUAL 203
#define IDD_ZONE2_SETTINGS 204
#define IDD_ZONE3_ACTUAL 205
#define IDD_ZONE3_SETTINGS 206
#define IDD_ZONE4_ACTUAL 207
#define IDD_ZONE4_SETTINGS 208
#define IDD_COMMON 209
#define IDC_READ 201
#define IDC_WRITE 202
#define IDC_NODENAME 356
#define IDC_COOL_AUTOMATIC 269
#define IDC_HEAT_AUTOMATIC 268
#define IDC_CLOSED_VALVE_TIME 270
#define IDC_HEAT_0_10V 276
#define IDC_HEAT_2_10V 277
#define IDC_COOL_0_10V 278
#define IDC_COOL_2_10V 279
