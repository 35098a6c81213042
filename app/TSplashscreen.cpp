#include "app/TSplashscreen.h"

#include "app/Links.h"
#include "ui/DesktopOpener.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {
QLabel* link(QWidget* parent, const QString& href, const QString& text, int x, int y) {
    auto* l = new QLabel(parent);
    l->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000ff\">%2</a>").arg(href, text));
    l->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    l->setOpenExternalLinks(false);
    l->setCursor(Qt::PointingHandCursor);
    l->move(x, y);
    QObject::connect(l, &QLabel::linkActivated, l,
                     [](const QString& url) { DesktopOpener::Open(url); });
    return l;
}
} // namespace

TSplashscreen::TSplashscreen(QWidget* parent, bool about)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("Splashscreen"));
    setAttribute(Qt::WA_DeleteOnClose, about);
    setFixedSize(500, 177);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());

    auto* version = new QLabel(QStringLiteral("V2.4 - 092613"), this);
    version->setObjectName(QStringLiteral("VersionLabel"));
    version->setStyleSheet(QStringLiteral("color:#ff0000; font-weight:bold;"));
    version->move(372, 104);
    auto* notice = new QLabel(
        QStringLiteral("Rain gauge logger software by Pluvatec. All rights reserved."), this);
    notice->move(24, 124);
    link(this, QString(Links::WebSite), QString(Links::WebSiteText), 24, 144)
        ->setObjectName(QStringLiteral("WebLink"));
    link(this, QStringLiteral("mailto:") + QString(Links::SupportMail), QString(Links::SupportMail),
         200, 144)
        ->setObjectName(QStringLiteral("MailLink"));

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setGeometry(412, 140, 72, 24);
    connect(m_ok, &QPushButton::clicked, this, &TSplashscreen::frameClick);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [] {});
    if (!about)
        m_timer->start(2000);
}

void TSplashscreen::HideOkButton() {
    m_ok->hide();
}
bool TSplashscreen::TimerEnabled() const {
    return m_timer->isActive();
}

void TSplashscreen::frameClick() {
    hide();
    close();
}

void TSplashscreen::mousePressEvent(QMouseEvent*) {
    frameClick();
}

void TSplashscreen::closeEvent(QCloseEvent* event) {
    if (m_timer->isActive())
        event->ignore();
    else
        event->accept();
}

void TSplashscreen::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(255, 255, 0));
    drawPicture(p, QRect(16, 16, 473, 150));
    p.setPen(QPen(QColor(0, 128, 0), 5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));
}

// The picture: a tipping-bucket gauge under falling rain, with the program's name.
void TSplashscreen::drawPicture(QPainter& p, const QRect& area) {
    p.save();
    p.translate(area.topLeft());
    QLinearGradient sky(0, 0, 0, area.height());
    sky.setColorAt(0, QColor(255, 255, 160));
    sky.setColorAt(1, QColor(255, 255, 0));
    p.fillRect(QRect(QPoint(0, 0), area.size()), sky);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 110, 200));
    const int drops[][2] = {{40, 4}, {70, 18}, {30, 30}, {95, 6}, {58, 38}, {108, 28}};
    for (const auto& d : drops) {
        QPainterPath drop;
        drop.moveTo(d[0], d[1]);
        drop.quadTo(d[0] + 6, d[1] + 10, d[0], d[1] + 13);
        drop.quadTo(d[0] - 6, d[1] + 10, d[0], d[1]);
        p.drawPath(drop);
    }
    // Funnel, body and bucket of the gauge.
    p.setBrush(QColor(90, 100, 110));
    p.drawPolygon(QPolygon({{40, 56}, {120, 56}, {88, 70}, {72, 70}}));
    p.setBrush(QColor(160, 170, 180));
    p.drawRoundedRect(QRect(52, 70, 56, 30), 4, 4);
    p.setBrush(QColor(0, 128, 0));
    p.drawPolygon(QPolygon({{60, 84}, {100, 78}, {100, 83}, {60, 89}}));

    p.setPen(QColor(0, 90, 0));
    QFont title = font();
    title.setPointSize(30);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(140, 6, 320, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ombrex"));
    QFont sub = font();
    sub.setPointSize(10);
    p.setFont(sub);
    p.setPen(QColor(40, 40, 40));
    p.drawText(QRect(142, 58, 325, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Downloads and reports for the Hyetra rain logger"));
    p.restore();
}
