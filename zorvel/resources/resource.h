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
