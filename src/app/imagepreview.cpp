#include "app/imagepreview.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

namespace kelmira {

void installImagePreview(QFileDialog* dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog->layout());
    if (!grid)
        return;
    auto* preview = new QLabel(dialog);
    preview->setObjectName(QStringLiteral("ImagePreview"));
    preview->setFixedSize(200, 160);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    preview->setText(QStringLiteral("(нет)"));
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);

    QObject::connect(dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
        const QFileInfo info(path);
        if (!info.isFile()) {
            preview->setPixmap({});
            preview->setText(QStringLiteral("(нет)"));
            return;
        }
        // Large pictures are scaled while they are read, so the preview stays quick.
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QSize full = reader.size();
        if (full.isValid())
            reader.setScaledSize(full.scaled(preview->size() - QSize(4, 4), Qt::KeepAspectRatio));
        const QImage img = reader.read();
        if (img.isNull()) {
            preview->setPixmap({});
            preview->setText(QStringLiteral("(нет)"));
        } else {
            preview->setPixmap(QPixmap::fromImage(img));
        }
    });
}

} // namespace kelmira
