#include "app/viewer_rules.h"

#include <algorithm>
#include <limits>

#include "framework/file_utils.h"
#include "framework/sysutils.h"

Integer ZoomStep(bool ZoomIn, Integer Zoom) {
    Integer z = Zoom;
    if (ZoomIn && Zoom > std::numeric_limits<Integer>::max() - 200) return Zoom;
    if (ZoomIn) {
        ++z;
    } else {
        if (z < 6) return Zoom;
        --z;
    }
    const Integer step = z <= 25 ? 5 : (z < 300 ? 25 : 100);
    return z / step * step + (ZoomIn ? step : 0);
}

Integer DefaultZoomCode(TLMFileTypes Kind, bool ImageStretch, bool ImageShrink, bool VideoStretch, bool VideoShrink) {
    bool stretch, shrink;
    if (Kind == lmImage) {
        stretch = ImageStretch;
        shrink = ImageShrink;
    } else if (Kind == lmVideo) {
        stretch = VideoStretch;
        shrink = VideoShrink;
    } else {
        return zcDefault;
    }
    if (stretch && shrink) return zcFit;
    if (stretch) return zcStretchOnly;
    if (shrink) return zcShrinkOnly;
    return zcDefault;
}

Integer FileKindToDisplayMode(TLMFileTypes Kind) {
    switch (Kind) {
    case lmImage: return 0;
    case lmText: return 3;
    case lmSound:
    case lmVideo: return 2;
    case lmOffice: return 4;
    default: return -1;
    }
}

std::string ZoomLabelText(Integer Zoom) {
    return Zoom <= MaxLabelledZoom ? "Zoom: " + IntToStr(Zoom) + "%" : std::string();
}

TFileLabel FileLabelFor(const TFileFacts& F) {
    TFileLabel l;
    l.Text = "  " + F.FullName;
    switch (F.Kind) {
    case lmImage: {
        const std::string facts = IntToStr(F.Width) + "x" + IntToStr(F.Height) + "x" + IntToStr(F.Bits) + "bit";
        l.Text += "  (" + facts + ", ";
        l.Hint = F.FullName + "\n" + facts;
        break;
    }
    case lmSound:
    case lmVideo:
        if (F.Kind == lmVideo && !F.LengthText.empty()) {
            const std::string facts =
                IntToStr(F.MediaWidth) + "x" + IntToStr(F.MediaHeight) + ", " + F.LengthText;
            l.Text += "  (" + facts + ", ";
            l.Hint = F.FullName + "\n" + facts;
        } else {
            l.Text += "  (" + (F.LengthText.empty() ? std::string() : F.LengthText + ", ");
            l.Hint = F.FullName + (F.LengthText.empty() ? std::string() : "\n" + F.LengthText);
        }
        break;
    case lmOffice: {
        const std::string type = UpperCase(ExtractFileExt(F.FullName)) + " File";
        l.Text += "  (" + type + ", ";
        l.Hint = l.Text + "\n" + type;
        break;
    }
    case lmText:
        if (F.Chars <= 1000) {
            l.Text += "  (" + IntToStr(F.Chars) + " Chars, ";
            l.Hint = F.FullName + "\n" + IntToStr(F.Chars) + " Chars";
        } else {
            l.Text += "  (" + IntToStr(F.Lines) + " Lines, ";
            l.Hint = F.FullName + "\n" + IntToStr(F.Lines) + " Lines";
        }
        break;
    default:
        l.Text += "  (";
        l.Hint = F.FullName;
        break;
    }
    l.Text += FileSizeToStr(F.Size, F.SizeDetailLevel) + (F.InDatabase ? ", DB)" : ")");
    l.Hint += "\n" + FileSizeToStr(F.Size, std::min(F.SizeDetailLevel + 1, Integer(3)));
    return l;
}
