// Resource and control ids of the setup program.
#pragma once

#define IDI_SETUP 50

#define IDD_WELCOME 12000
#define IDD_FINISHED 13000
#define IDD_FOLDER 14000

#define IDC_INSTALL_PATH 14001
#define IDC_BACK 14002
#define IDC_NEXT_DISABLED 14003
