// Resource numbers of the font faces the DLL carries (RCDATA), shared by
// panel_fonts.rc and panel_fonts.cpp.
#pragma once
#define PANEL_FONT_CINZEL_REGULAR 201
#define PANEL_FONT_CINZEL_BOLD 202
#define PANEL_FONT_INTER_REGULAR 203
#define PANEL_FONT_INTER_BOLD 204
