// Resource IDs of the module.
#pragma once

#define IDS_VENNOX 1          // user type name "Vennox Control"
#define IDB_VENNOX 1          // 31 x 31, 16 colours: the control's picture and toolbox bitmap
#define IDI_ABOUTDLL 1        // 32 x 32 and 16 x 16, 16 colours
#define IDR_TYPELIB 1         // resource type "TYPELIB"
#define IDD_ABOUTBOX_VENNOX 1 // the About dialog
