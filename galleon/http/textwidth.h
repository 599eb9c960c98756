// Widths of label texts as the pages show them: the page style's sans-serif
// face at 11 pixels, measured with FreeType through gd.
#pragma once

// Width in pixels of the text (UTF-8 or plain ASCII); 0 for an empty text or
// when the font cannot be read.
int textWidth(const char* text, int length);

// Fits a label to a width: whole when it fits; otherwise whole words on at
// most two lines of that width (the break is written as "<br>"-free "\n"), a
// word wider than the width cut where it fits, and "..." in place of the last
// three characters whenever text was dropped. Returns the length written.
int textFitLabel(const char* text, char* out, int size, int width);
