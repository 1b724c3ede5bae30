// The identifiers of Huesift's resources, commands and dialog controls, shared
// by huesift.rc and the shell. Plain #defines only: windres reads this file.
#pragma once

// Strings
#define IDS_APP_TITLE 103
#define IDS_WINDOW_CLASS 109

// Icons, menu and accelerator table
#define IDI_HUESIFT 107
#define IDI_HUESIFT_SMALL 108
#define IDR_MAIN_MENU 109
#define IDR_ACCELERATORS 109

// Dialog templates
#define IDD_HELP 103
#define IDD_OPTIONS 129

// Commands
#define IDM_HELP 104
#define IDM_EXIT 105
#define IDM_OPTIONS 32771
#define IDM_START 32772
#define IDM_TOGGLE_ROTATION 32773

// Help dialog: the icon control (it sends no commands)
#define IDC_HELP_ICON 2

// Options dialog: surface group
#define IDC_SURFACE_SQUARE 1001
#define IDC_SURFACE_TRIANGLE_INVERTED 1002
#define IDC_SURFACE_TRIANGLE 1003
#define IDC_SURFACE_CIRCLE 1004
#define IDC_SURFACE_TORUS 1005

// Options dialog: rotation speed group
#define IDC_SPEED_5_SLOWEST 1006
#define IDC_SPEED_1_FASTEST 1007
#define IDC_SPEED_2 1008
#define IDC_SPEED_4 1009
#define IDC_SPEED_3 1010

// Options dialog: image size, screen refreshes and sort direction groups
#define IDC_SIZE_BIG 1011
#define IDC_SIZE_SMALL 1012
#define IDC_REFRESH_MORE 1013
#define IDC_REFRESH_LESS 1014
#define IDC_RED_UP 1017
#define IDC_RED_DOWN 1018

// Controls that are never addressed
#define IDC_STATIC_TEXT -1
