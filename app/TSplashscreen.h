#pragma once

#include <QWidget>

class QPushButton;
class QTimer;

// The start-up screen, also shown as the about screen. While its timer runs it refuses to close;
// clicking "OK" or the frame hides it first either way.
class TSplashscreen : public QWidget {
    Q_OBJECT
public:
    explicit TSplashscreen(QWidget* parent = nullptr, bool about = false);

    void HideOkButton();
    bool TimerEnabled() const;
    QPushButton* OkButton() const { return m_ok; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void frameClick();
    void drawPicture(QPainter& p, const QRect& area);

    QTimer* m_timer;
    QPushButton* m_ok;
};
