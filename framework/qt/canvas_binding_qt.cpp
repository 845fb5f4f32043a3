// The canvases of graphic controls: drawing at the control's place on its parent's image.

#include "framework/qt/canvas_binding_qt.h"

#include "framework/graphics.h"

void lumora_qt::SetCanvasOrigin(TCanvas* Canvas, TPoint Origin, const QRegion& Clip) {
    HDC__* dc = lumora_gdi::DC(Canvas ? Canvas->GetHandle() : nullptr);
    if (!dc) return;
    dc->saved.clear();
    dc->st.viewportOrg = Origin;
    dc->st.windowOrg = TPoint{0, 0};
    dc->st.hasClip = false;
    dc->st.clip = QRegion();
    dc->hasSystemClip = true;
    dc->systemClip = Clip;
}
