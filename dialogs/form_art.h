#pragma once
// Pictures of the small forms, drawn with the canvas (our own artwork).

class TBitmap;

// A 32 x 32 information sign: a blue disc with a white "i", on the face colour of dialogs.
void DrawInformationPicture(TBitmap* Bitmap);
