#pragma once
// The program's LZW coders for GIF and TIFF, and their installation into the process-wide hooks
// (lzw_hooks.h). The main window and the thumbnail grid install them when they are created, so
// that every parameter object made afterwards copies them.

// Stores the four coders into the process-wide hooks. Until the coders are written the hooks keep
// what they hold (nil at start): GIF and LZW-compressed TIFF images are then refused as the
// codecs say.
void InstallLZWCoders();
