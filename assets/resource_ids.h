#pragma once
// Resource IDs of the installer's pictures and icon. Plain macros: the
// resource compiler reads this header too.
#define IDI_SETUP 1
#define IDR_LICENCE_JPEG 101
#define IDB_FINISHED 102
#define IDB_FOLDER_FILLED 103
#define IDB_FOLDER_OUTLINE 104
