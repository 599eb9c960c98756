// The drawing both halves of the benchmark do: one owner-drawn item (a
// 200 x 24 menu row: background, frame, an icon, centred text, a focus
// rectangle) drawn `items` times into an off-screen surface, and one text
// measurement per item.
#pragma once

// Returns the elapsed seconds; checksum receives a value that depends on
// the pixels drawn, so the work cannot be skipped.
double drawWithGdi(int items, unsigned *checksum);
double drawWithQt(int items, unsigned *checksum);
