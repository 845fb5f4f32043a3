// Scans a colour page from SANE's "test" device through the acquisition engine and our source
// manager, with the source's dialog hidden, and draws it with TWAIN_PaintDIB.
// "scan_demo --png FILE" saves the drawn page. Without SANE_CONFIG_DIR set, a configuration that
// names only the test device is made in the temporary folder, so no hardware is probed.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "demo/demo_start.h"
#include "framework/backend.h"
#include "framework/file_utils.h"
#include "framework/graphics.h"
#include "imaging/formats/twain.h"

int main(int argc, char** argv) {
    std::string png = StartDemo(argc, argv, "Scan demo");
    if (png.empty()) {
        std::fprintf(stderr, "usage: scan_demo --png FILE\n");
        return 2;
    }
    std::string config = GetTempPath() + "lumora_scan_demo/";
    if (!std::getenv("SANE_CONFIG_DIR")) {
        ForceDirectories(config);
        std::ofstream(config + "dll.conf") << "test\n";
        std::ofstream(config + "test.conf") << "mode Color\ntest-picture \"Color pattern\"\nresolution 50.0\n";
        setenv("SANE_CONFIG_DIR", config.c_str(), 1);
    }
    TWAIN_SetHideUI(true);
    HGLOBAL page = TWAIN_AcquireImages(nullptr, 1u << TWPT_RGB);
    if (!page) {
        std::printf("nothing was scanned\n");
        return 1;
    }
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(TWAIN_GetDIBWidth(page), TWAIN_GetDIBHeight(page));
    TWAIN_PaintDIB(bitmap->GetCanvas()->GetHandle(), 0, 0, TWAIN_GetDIBWidth(page), TWAIN_GetDIBHeight(page), page, 0,
                   0);
    for (Integer i = 0; i < TWAIN_GetImageCount(); ++i) TWAIN_ReleaseDIB(TWAIN_GetImage(i));
    bool ok = SaveBitmapAsPng(bitmap.get(), png);
    std::printf("%s %s\n", ok ? "saved" : "could not save", png.c_str());
    return ok ? 0 : 1;
}
