#include "windows/aboutwindow.h"
#include "windows/toolwindow.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace kelmira {

namespace {

QLabel* addCaption(QWidget* parent, const QString& name, const QString& text, QPoint at,
                   int pixelSize) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont f = label->font();
    f.setPixelSize(pixelSize);
    f.setBold(true);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    p.setColor(QPalette::Window, Qt::black);
    label->setPalette(p);
    label->setAutoFillBackground(true);
    label->move(at);
    label->adjustSize();
    return label;
}

} // namespace

TForm3::TForm3(QWidget* parent) : QWidget(parent, kToolWindowFlags) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(421, 330);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(rect());
    image->setScaledContents(true);
    image->setPixmap(QPixmap(pictureResource()));

    addCaption(this, QStringLiteral("Label1"), QStringLiteral("Kelmira"), {72, 8}, 19);
    addCaption(this, QStringLiteral("Label2"), QStringLiteral("3D-компоновка печатных плат"),
               {136, 272}, 11);
    addCaption(this, QStringLiteral("Label3"), QStringLiteral("Версия 1.5"), {136, 288}, 11);
    addCaption(this, QStringLiteral("Label4"), QStringLiteral("Команда Kelmira, 2026 год"),
               {128, 304}, 11);

    auto* button = new QPushButton(QStringLiteral("ОК"), this);
    button->setObjectName(QStringLiteral("Button1"));
    button->setGeometry(160, 240, 97, 25);
    QFont f = button->font();
    f.setPixelSize(16);
    f.setBold(true);
    button->setFont(f);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, &TForm3::Button1Click);
}

QString TForm3::pictureResource() {
    return QStringLiteral(":/kelmira/about.jpg");
}

void TForm3::Button1Click() {
    close();
}

void TForm3::showEvent(QShowEvent* event) {
    if (!m_centred) {
        m_centred = true;
        centreOnScreen(this);
    }
    QWidget::showEvent(event);
}

} // namespace kelmira
