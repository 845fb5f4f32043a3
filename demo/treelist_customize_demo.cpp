// The tree list's customizing window, a column being sized with its size line, and a header being
// dragged with its drag image and drop arrows. "treelist_customize_demo --png FOLDER" saves
// customize.png, sizing.png and header_drag.png into FOLDER; without arguments the form runs with
// the customizing window open.

#include <filesystem>
#include <string>

#include "demo/demo_start.h"
#include "framework/forms.h"
#include "framework/image_list.h"
#include "framework/testing/ui_test.h"
#include "treelist/plain_tree_list.h"
#include "treelist/tree_list_draw.h"

namespace {

TgxTreeList* MakeList(TForm* Form) {
    auto* list = new TgxTreeList(Form);
    list->SetParent(Form);
    list->SetAlign(alClient);
    list->SetShowBands(true);
    list->GetBands()->GetItem(0)->SetCaption("File");
    list->GetBands()->Add()->SetCaption("Details");
    list->GetBands()->Add()->SetCaption("Camera");
    list->GetBands()->GetItem(2)->SetVisible(false);
    const char* captions[] = {"Name", "Type", "Size", "Modified", "Width", "Height", "Comment"};
    const int bands[] = {0, 0, 1, 1, 1, 1, 1};
    for (int i = 0; i < 7; ++i) {
        TgxTreeListColumn* column = list->CreateColumn(TgxTreeListColumn::StaticClass(), Form);
        column->SetCaption(captions[i]);
        column->SetBandIndex(bands[i]);
        column->SetWidth(i == 0 ? 140 : 80);
        if (i >= 4) column->SetVisible(false);
    }
    const char* rows[][4] = {{"beach.jpg", "JPEG", "2 314 KB", "2026-07-14"},
                             {"dunes.png", "PNG", "5 120 KB", "2026-07-15"},
                             {"harbour.tif", "TIFF", "18 002 KB", "2026-08-02"},
                             {"lighthouse.gif", "GIF", "604 KB", "2026-08-03"}};
    for (auto& row : rows) {
        TgxTreeListNode* node = list->Add();
        for (int c = 0; c < 4; ++c) list->SetNodeString(node, c, row[c]);
    }
    return list;
}

// The header's bounds in the list.
TRect HeaderRect(TgxTreeList* List, Integer Column) {
    TgxTreeListDrawInfo info;
    List->CalcDrawInfo(info);
    TRect r;
    for (const TgxHeaderDrawItem& h : info.Headers)
        if (h.Column == Column) r = h.Rect;
    List->FreeDrawInfo(info);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = StartDemo(argc, argv, "Tree list customizing");
    TForm* form = new TForm(nullptr);
    form->SetCaption("Tree list customizing");
    form->SetBounds(80, 80, 640, 300);
    TgxTreeList* list = MakeList(form);
    if (folder.empty()) {
        form->Show();
        list->ColumnsCustomizing();
        Application->Run();
        return 0;
    }
    std::filesystem::create_directories(folder);
    uitest::ShowForm(form);
    bool ok = true;

    list->ColumnsCustomizing();
    uitest::ProcessEvents();
    ok = SaveDemoPng(list->GetCustomizingForm(), folder + "/customize.png") && ok;
    list->EndColumnsCustomizing();
    uitest::ProcessEvents();

    // A column edge dragged 60 pixels to the right: the line shows where it will end.
    const TRect name = HeaderRect(list, 0);
    const TPoint edge{name.Right - 1, (name.Top + name.Bottom) / 2};
    uitest::MouseDown(list, edge.X, edge.Y);
    uitest::MouseMove(list, edge.X + 60, edge.Y, {ssLeft});
    ok = SaveDemoPng(form, folder + "/sizing.png") && ok;
    uitest::KeyDown(list, VK_ESCAPE);
    uitest::MouseUp(list, edge.X + 60, edge.Y);

    // "Type" dragged over the right half of "Size": the picture of the header follows the mouse
    // and the arrows mark the place after "Size". Both stand on the screen outside the list's
    // own picture, so they are drawn into it here.
    const TRect type = HeaderRect(list, 1);
    const TRect size = HeaderRect(list, 2);
    const TPoint from{(type.Left + type.Right) / 2, (type.Top + type.Bottom) / 2};
    const TPoint to{size.Right - 10, (size.Top + size.Bottom) / 2};
    uitest::MouseDown(list, from.X, from.Y);
    uitest::MouseMove(list, from.X, from.Y + 8, {ssLeft});
    uitest::MouseMove(list, to.X, to.Y, {ssLeft});
    if (TImageList* image = list->GetDragImageList()) {
        const TPoint hot = image->GetHotSpot();
        image->Draw(list->GetCanvas(), to.X - hot.X, to.Y - hot.Y, 0);
    }
    const TPoint arrows = list->ScreenToClient(list->GetDropArrowPos());
    DrawDropArrows(list->GetCanvas(),
                   TRect(arrows.X, arrows.Y, arrows.X + 11, arrows.Y + list->GetHeaderRowHeight() + 18),
                   list->GetArrowsColor());
    ok = SaveDemoPng(form, folder + "/header_drag.png") && ok;
    uitest::KeyDown(list, VK_ESCAPE);
    uitest::MouseUp(list, to.X, to.Y);
    form->Free();
    return ok ? 0 : 1;
}
