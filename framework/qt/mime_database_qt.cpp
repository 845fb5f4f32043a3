// The shared MIME database through QMimeDatabase and theme icons through QIcon.

#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QPixmap>

#include "framework/backend.h"
#include "framework/mime_database.h"
#include "framework/qt/gdi_backend.h"

namespace {

TMimeTypeInfo InfoOf(const QMimeType& Type) {
    return {Type.name().toStdString(), Type.comment().toStdString(), Type.iconName().toStdString(),
            Type.genericIconName().toStdString()};
}

QString FromUtf8(const std::string& S) {
    return QString::fromUtf8(S.data(), qsizetype(S.size()));
}

}  // namespace

TMimeTypeInfo MimeTypeOfFile(const std::string& FileName) {
    QMimeDatabase db;
    QFileInfo file(FromUtf8(FileName));
    // An empty file holds no data of any type: it counts as plain text, as the desktop's other
    // programs (gio) see it.
    if (file.isFile() && file.size() == 0) return InfoOf(db.mimeTypeForName("text/plain"));
    return InfoOf(db.mimeTypeForFile(file, QMimeDatabase::MatchDefault));
}

TMimeTypeInfo MimeTypeOfName(const std::string& FileName) {
    QMimeDatabase db;
    return InfoOf(db.mimeTypeForFile(FromUtf8(FileName), QMimeDatabase::MatchExtension));
}

HICON ThemeIcon(const std::string& IconName, Integer Size) {
    if (IconName.empty() || Size <= 0) return nullptr;
    EnsureBackend();
    QIcon icon = QIcon::fromTheme(FromUtf8(IconName));
    if (icon.isNull()) return nullptr;
    QImage image = icon.pixmap(Size, Size).toImage();
    if (image.isNull()) return nullptr;
    if (image.width() != Size || image.height() != Size)
        image = image.scaled(Size, Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    auto* result = new HICON__;
    result->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    result->hasAlpha = true;
    return result;
}
