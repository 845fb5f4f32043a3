// The clipboard on QClipboard: text, DIBs in a private format (exact bits) plus an ordinary image,
// other formats as MIME data under their names.

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "framework/clipboard.h"
#include "framework/dib_reader.h"
#include "framework/dynlib.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/stream.h"
#include "framework/window_backend.h"
#include "framework/qt/gdi_backend.h"

namespace {

const char* kDibMime = "application/x-lumora-dib";
const QString kTextMime = QStringLiteral("text/plain");

// Clipboard data whose plain text is kept as the UTF-8 bytes it was given and converted only
// when a reader asks for it, so putting a large text there costs neither a copy nor a conversion.
class TTextMimeData : public QMimeData {
public:
    void SetPlainText(std::string Text) {
        FText = std::move(Text);
        FHasText = true;
    }
    bool hasFormat(const QString& Mime) const override {
        return (FHasText && Mime == kTextMime) || QMimeData::hasFormat(Mime);
    }
    QStringList formats() const override {
        QStringList list = QMimeData::formats();
        if (FHasText && !list.contains(kTextMime)) list.prepend(kTextMime);
        return list;
    }

protected:
    QVariant retrieveData(const QString& Mime, QMetaType Type) const override {
        if (!FHasText || Mime != kTextMime) return QMimeData::retrieveData(Mime, Type);
        if (Type.id() == QMetaType::QString) return QString::fromUtf8(FText.data(), qsizetype(FText.size()));
        return QByteArray(FText.data(), qsizetype(FText.size()));
    }

private:
    std::string FText;
    bool FHasText = false;
};

std::map<UINT, std::string>& FormatNames() {
    static std::map<UINT, std::string> m;
    return m;
}

QString MimeOf(UINT Format) {
    switch (Format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT: return "text/plain";
    case CF_DIB:
    case CF_BITMAP: return kDibMime;
    case CF_HDROP: return "text/uri-list";
    default: break;
    }
    auto it = FormatNames().find(Format);
    if (it != FormatNames().end()) return QString("application/x-lumora-cf;name=") + QString::fromStdString(it->second);
    return QString("application/x-lumora-cf;id=%1").arg(Format);
}

void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

// A bitmap's DIB: its BMP file without the 14-byte file header.
std::vector<uint8_t> DibOfBitmap(TBitmap* Bitmap) {
    TMemoryStream ms;
    Bitmap->SaveToStream(&ms);
    const auto* p = static_cast<const uint8_t*>(ms.GetMemory());
    if (ms.GetSize() <= 14) return {};
    return std::vector<uint8_t>(p + 14, p + ms.GetSize());
}

// A packed DIB as a bitmap: a BMP file whose header says where the rows start.
void LoadBitmapFromDib(TBitmap* Bitmap, const std::vector<uint8_t>& dib) {
    TDibHeader h;
    if (DibReadHeader(dib.data(), dib.size(), h) != TDibError::None) throw EInvalidGraphic("Bitmap image is not valid");
    std::vector<uint8_t> file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, uint32_t(14 + dib.size()));
    Put32(file, 0);
    Put32(file, uint32_t(14 + h.PixelsAt()));
    file.insert(file.end(), dib.begin(), dib.end());
    TMemoryStream ms;
    ms.Write(file.data(), Int64(file.size()));
    ms.SetPosition(0);
    Bitmap->LoadFromStream(&ms);
}

// An ordinary image of a packed DIB, for other programs; a null image when the DIB is not valid.
QImage ImageOfDib(const std::vector<uint8_t>& dib) {
    TBitmap bitmap;
    try {
        LoadBitmapFromDib(&bitmap, dib);
    } catch (const Exception&) {
        return QImage();
    }
    if (bitmap.GetEmpty()) return QImage();
    return lumora_gdi::BitmapToImage(lumora_gdi::BitmapOf(bitmap.GetHandle())).convertToFormat(QImage::Format_RGB32);
}

// A DIB of an image from another program: through a 24-bit bitmap.
std::vector<uint8_t> DibOfImage(const QImage& src) {
    QImage img = src.convertToFormat(QImage::Format_RGB32);
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(img.width(), img.height());
    for (int y = 0; y < img.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        auto* out = static_cast<uint8_t*>(bmp.ScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            out[3 * x] = uint8_t(qBlue(in[x]));
            out[3 * x + 1] = uint8_t(qGreen(in[x]));
            out[3 * x + 2] = uint8_t(qRed(in[x]));
        }
    }
    return DibOfBitmap(&bmp);
}

QClipboard* Board() {
    lumora_backend::EnsureBackend();
    return QGuiApplication::clipboard();
}

std::vector<HWND>& Viewers() {
    static std::vector<HWND> v;
    return v;
}

}  // namespace

UINT RegisterClipboardFormat(const std::string& Name) {
    auto& names = FormatNames();
    for (auto& [id, n] : names)
        if (n == Name) return id;
    UINT id = UINT(0xC000 + names.size());
    names[id] = Name;
    return id;
}

std::string GetClipboardFormatName(UINT Format) {
    auto it = FormatNames().find(Format);
    return it == FormatNames().end() ? std::string() : it->second;
}

// ---- TClipboard ------------------------------------------------------------------------------

struct TClipboard::Pending {
    TTextMimeData* Data = nullptr;
};

TClipboard::TClipboard() = default;

TClipboard::~TClipboard() {
    if (FPending) {
        delete FPending->Data;
        delete FPending;
    }
}

void TClipboard::Open() {
    if (FOpenRefCount == 0) FEmptied = false;
    ++FOpenRefCount;
}

void TClipboard::Close() {
    if (FOpenRefCount == 0) return;
    if (--FOpenRefCount == 0) Commit();
}

void TClipboard::Clear() {
    Open();
    Adding();
    Close();
}

void TClipboard::Adding() {
    if (!FPending) FPending = new Pending;
    if (!FEmptied) {
        delete FPending->Data;
        FPending->Data = new TTextMimeData;
        FEmptied = true;
    }
}

void TClipboard::Commit() {
    if (!FPending || !FPending->Data) return;
    QMimeData* data = FPending->Data;
    FPending->Data = nullptr;
    Board()->setMimeData(data);
}

namespace {

// What a reader sees: the data being written inside a bracket, else the clipboard's.
const QMimeData* Current(TClipboard::Pending* pending, Integer openCount) {
    if (openCount > 0 && pending && pending->Data) return pending->Data;
    return Board()->mimeData();
}

}  // namespace

bool TClipboard::HasFormat(UINT Format) {
    const QMimeData* d = Current(FPending, FOpenRefCount);
    if (!d) return false;
    switch (Format) {
    case CF_TEXT:
    case CF_OEMTEXT:
    case CF_UNICODETEXT: return d->hasText();
    case CF_DIB:
    case CF_BITMAP: return d->hasFormat(kDibMime) || d->hasImage();
    case CF_HDROP: return d->hasUrls();
    default: return d->hasFormat(MimeOf(Format));
    }
}

int TClipboard::GetFormatCount() {
    int n = 0;
    for (UINT f : {CF_TEXT, CF_BITMAP, CF_DIB, CF_HDROP})
        if (HasFormat(f)) ++n;
    for (auto& [id, name] : FormatNames())
        if (HasFormat(id)) ++n;
    return n;
}

UINT TClipboard::GetFormat(int Index) {
    int n = -1;
    for (UINT f : {CF_TEXT, CF_BITMAP, CF_DIB, CF_HDROP})
        if (HasFormat(f) && ++n == Index) return f;
    for (auto& [id, name] : FormatNames())
        if (HasFormat(id) && ++n == Index) return id;
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

std::string TClipboard::GetAsText() {
    const QMimeData* d = Current(FPending, FOpenRefCount);
    return d && d->hasText() ? d->text().toStdString() : std::string();
}

void TClipboard::SetAsText(std::string Value) {
    Open();
    try {
        Adding();
        FPending->Data->SetPlainText(std::move(Value));
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

std::vector<uint8_t> TClipboard::GetAsBytes(UINT Format) {
    const QMimeData* d = Current(FPending, FOpenRefCount);
    if (!d) return {};
    if (Format == CF_DIB || Format == CF_BITMAP) {
        if (d->hasFormat(kDibMime)) {
            QByteArray b = d->data(kDibMime);
            return std::vector<uint8_t>(b.begin(), b.end());
        }
        if (d->hasImage()) return DibOfImage(qvariant_cast<QImage>(d->imageData()));
        return {};
    }
    if (Format == CF_TEXT || Format == CF_OEMTEXT || Format == CF_UNICODETEXT) {
        std::string s = d->text().toStdString();
        return std::vector<uint8_t>(s.begin(), s.end());
    }
    QByteArray b = d->data(MimeOf(Format));
    return std::vector<uint8_t>(b.begin(), b.end());
}

void TClipboard::SetAsBytes(UINT Format, const std::vector<uint8_t>& Data) {
    Open();
    try {
        Adding();
        QByteArray bytes(reinterpret_cast<const char*>(Data.data()), qsizetype(Data.size()));
        if (Format == CF_DIB || Format == CF_BITMAP) {
            FPending->Data->setData(kDibMime, bytes);
            QImage img = ImageOfDib(Data);
            if (!img.isNull()) FPending->Data->setImageData(img);
        } else if (Format == CF_TEXT || Format == CF_OEMTEXT || Format == CF_UNICODETEXT) {
            FPending->Data->SetPlainText(std::string(Data.begin(), Data.end()));
        } else {
            FPending->Data->setData(MimeOf(Format), bytes);
        }
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

HGLOBAL TClipboard::GetAsHandle(UINT Format) {
    std::vector<uint8_t> bytes = GetAsBytes(Format);
    if (bytes.empty()) return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!h) return nullptr;
    std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

void TClipboard::SetAsHandle(UINT Format, HGLOBAL Value) {
    if (!Value) return;
    size_t n = GlobalSize(Value);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(Value));
    std::vector<uint8_t> bytes(p, p + n);
    GlobalUnlock(Value);
    SetAsBytes(Format, bytes);
    // The clipboard owns the block now.
    GlobalFree(Value);
}

void TClipboard::AddChangeListener(TObject* Key, TNotifyEvent Listener) {
    RemoveChangeListener(Key);
    FListeners.push_back({Key, std::move(Listener)});
}

void TClipboard::RemoveChangeListener(TObject* Key) {
    FListeners.erase(std::remove_if(FListeners.begin(), FListeners.end(), [Key](auto& e) { return e.first == Key; }),
                     FListeners.end());
}

void TClipboard::NotifyChanged() {
    auto listeners = FListeners;
    for (auto& [key, fn] : listeners)
        if (fn) fn(this);
    auto& viewers = Viewers();
    if (!viewers.empty() && lumora_detail::IsLiveControl(viewers.back()))
        SendMessage(viewers.back(), WM_DRAWCLIPBOARD, 0, 0);
}

TClipboard* Clipboard() {
    static TClipboard* c = new TClipboard();
    return c;
}

// ---- The viewer chain ------------------------------------------------------------------------

HWND SetClipboardViewer(HWND Wnd) {
    auto& v = Viewers();
    HWND next = v.empty() ? nullptr : v.back();
    v.push_back(Wnd);
    SendMessage(Wnd, WM_DRAWCLIPBOARD, 0, 0);
    return next;
}

bool ChangeClipboardChain(HWND Remove, HWND Next) {
    auto& v = Viewers();
    auto it = std::find(v.begin(), v.end(), Remove);
    if (it == v.end()) return false;
    v.erase(it);
    if (!v.empty() && lumora_detail::IsLiveControl(v.back()))
        SendMessage(v.back(), WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(Remove), reinterpret_cast<LPARAM>(Next));
    return true;
}

HWND GetClipboardViewer() { return Viewers().empty() ? nullptr : Viewers().back(); }

// ---- Pictures --------------------------------------------------------------------------------


void TClipboard::Assign(TPersistent* Source) {
    TGraphic* graphic = dynamic_cast<TGraphic*>(Source);
    if (auto* pic = dynamic_cast<TPicture*>(Source)) graphic = pic->GetGraphic();
    if (graphic) {
        if (auto* bmp = dynamic_cast<TBitmap*>(graphic)) {
            SetAsBytes(CF_DIB, DibOfBitmap(bmp));
            return;
        }
        // Other pictures go on as what they look like.
        TBitmap tmp;
        tmp.SetPixelFormat(pf24bit);
        tmp.SetSize(graphic->GetWidth(), graphic->GetHeight());
        tmp.GetCanvas()->Draw(0, 0, graphic);
        SetAsBytes(CF_DIB, DibOfBitmap(&tmp));
        return;
    }
    TPersistent::Assign(Source);
}

void TClipboard::AssignTo(TPersistent* Dest) {
    TBitmap* bmp = dynamic_cast<TBitmap*>(Dest);
    if (auto* pic = dynamic_cast<TPicture*>(Dest)) bmp = pic->GetBitmap();
    if (bmp) {
        std::vector<uint8_t> dib = GetAsBytes(CF_DIB);
        if (dib.empty()) throw EInvalidGraphic("Clipboard does not contain a supported graphic format");
        LoadBitmapFromDib(bmp, dib);
        return;
    }
    TPersistent::AssignTo(Dest);
}
