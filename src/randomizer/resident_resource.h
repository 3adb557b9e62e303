// Identifiers of the randomizer's resources, shared by its resource scripts and its code.
#pragma once

// The same picture as the selector's icon, under the same number.
#define IDI_RANDOMIZER 1

#define IDR_RESIDENTMENU 500

// The notification-area icon's menu
#define IDM_RES_NEXT 600
#define IDM_RES_PAUSE 601
#define IDM_RES_RESUME 602
#define IDM_RES_SEPARATOR1 603
// The intervals, in the order of the settings' choices
#define IDM_RES_LOGON 604
#define IDM_RES_15MINUTES 605
#define IDM_RES_HOUR 606
#define IDM_RES_6HOURS 607
#define IDM_RES_DAY 608
#define IDM_RES_SEPARATOR2 609
#define IDM_RES_OPEN 610
#define IDM_RES_SEPARATOR3 611
#define IDM_RES_EXIT 612
