// Identifiers shared by the resource script and the code.
#pragma once

#define IDI_MXSELECT 1
#define IDR_MAINMENU 100
#define IDR_ACCELERATORS 101
#define IDR_POPMFILE 102
#define IDR_POPMSELECTED 103
#define IDR_POPMFILEINFO 104
#define IDR_POPMPREVIEW 105

// MainMenu1
#define IDM_SAVE 200
#define IDM_EXIT 201
#define IDM_RUNRANDOMIZER 210
#define IDM_REPORTERRORS 211
#define IDM_PREVIEWNONE 212
#define IDM_PREVIEWCHOOSE 213
#define IDM_PREVIEWSELECTED 214
#define IDM_PREVIEWBOTH 215
#define IDM_REFRESH 216
// The three ways a wallpaper covers several monitors, in the order of MonitorCover.
#define IDM_MONITORSSAME 217
#define IDM_MONITORSEACH 218
#define IDM_MONITORSACROSS 219
#define IDM_ORIGINALSCREENS 220
#define IDM_UNINSTALL 221
#define IDM_HELP 230
#define IDM_ABOUT 231
// When the randomizer changes the wallpaper; the intervals in the order of the settings' choices.
#define IDM_NEXTWALLPAPER 250
#define IDM_CHANGE_LOGON 251
#define IDM_CHANGE_15MINUTES 252
#define IDM_CHANGE_HOUR 253
#define IDM_CHANGE_6HOURS 254
#define IDM_CHANGE_DAY 255
#define IDM_CHANGE_UNLOCKED 256
// Shortcuts without a menu item: Ctrl+1 to Ctrl+4 press the category buttons, in their order.
#define IDM_CATEGORY1 240
#define IDM_CATEGORY2 241
#define IDM_CATEGORY3 242
#define IDM_CATEGORY4 243

// PopMFile
#define IDM_FILE_ADD 300
#define IDM_FILE_SELECTALL 301
#define IDM_FILE_INVERT 302
#define IDM_FILE_SEPARATOR 303
#define IDM_FILE_ADDFOLDER 304

// PopMSelected
#define IDM_SEL_VIEW 310
#define IDM_SEL_REMOVE 311
#define IDM_SEL_FINDDIR 312
#define IDM_SEL_SEPARATOR 313
#define IDM_SEL_SELECTALL 314
#define IDM_SEL_INVERT 315
#define IDM_SEL_SEPARATOR1 316

// PopMFileInfo
#define IDM_INFO_SETSCREEN 320
#define IDM_INFO_SETWALLPAPER 321
#define IDM_INFO_FILEINFO 322
#define IDM_INFO_SEPARATOR 323

// PopMPreview, the full-screen preview's menu
#define IDM_PREV_RETURN 330
#define IDM_PREV_FILEINFO 331
#define IDM_PREV_SEPARATOR1 332
#define IDM_PREV_CENTRED 333
#define IDM_PREV_STRETCHED 334
#define IDM_PREV_TILED 335
#define IDM_PREV_FIT2SCREEN 336
#define IDM_PREV_MIRROR 337
#define IDM_PREV_SEPARATOR2 338
#define IDM_PREV_SETSCREEN 339
#define IDM_PREV_SETWALLPAPER 340
#define IDM_PREV_RETURNUNCHANGED 341
#define IDM_PREV_FILL 342
