// Identifiers of the program's resources, shared by zorvel.rc and the code.
#pragma once

#define IDI_ZORVEL 1

#define IDB_TOOLBAR32 101
#define IDB_TOOLBAR32_HOT 102
#define IDB_TOOLBAR32_DISABLED 103
#define IDB_MODE1 111
#define IDB_MODE2 112
#define IDB_MODE3 113
#define IDB_MODE4 114
#define IDB_GLYPH_READ 121
#define IDB_GLYPH_WRITE 122
#define IDB_GLYPH_OK 123
#define IDB_GLYPH_CANCEL 124
#define IDB_GLYPH_DEFAULT 125
#define IDB_CHECK_CHECKED 131
#define IDB_CHECK_UNCHECKED 132
#define IDB_MENU16 141
#define IDB_GLYPH_COPY64 142
#define IDB_RESTORE 151
#define IDB_MOVE 152
#define IDB_MINIMIZE 153
#define IDB_MAXIMIZE 154
#define IDB_CLOSE 155
#define IDB_ABOUT 156
#define IDB_PERIOD_MORNING 161
#define IDB_PERIOD_DAY 162
#define IDB_PERIOD_EVENING 163
#define IDB_PERIOD_NIGHT 164
#define IDB_BRIGHTNESS32 165

// Offsets of the ids of the pictures drawn at 1.5 and 2 times.
#define IDB_SCALED_150 1000
#define IDB_SCALED_200 2000
