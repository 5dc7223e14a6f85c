#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace kelmira {

// The about window, "Form3": a picture with the program's name, three credit lines and an
// OK button that hides the window. It lives as long as the program; showing it again brings
// the same window back.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    // The picture shipped inside the program.
    static QString pictureResource();

public Q_SLOTS:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool m_centred = false;
};

} // namespace kelmira
